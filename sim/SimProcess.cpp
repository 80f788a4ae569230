// What a simulator under test answers, the same wherever it was started.

#include "SimControl.h"

#include "Escape.h"

#include <fstream>
#include <sstream>

namespace sxsim {

std::string SimProcess::command(const std::string& line)
{
    if (!client)
        throw std::runtime_error("the simulator has stopped");
    const std::vector<std::string> answer = client->request(line);
    const std::string& last = answer.back();
    if (last.compare(0, 3, "ERR") == 0)
        throw SimError(line + ": " + last);
    return last.size() > 3 ? last.substr(3) : std::string();
}

std::vector<ReceivedCommand> SimProcess::log()
{
    if (!client)
        throw std::runtime_error("the simulator has stopped");
    std::vector<std::string> lines = client->request("LOG");
    lines.pop_back();
    std::vector<ReceivedCommand> entries;
    for (const std::string& line : lines) {
        const std::size_t blank = line.find(' ');
        auto bytes = blank == std::string::npos ? std::nullopt
                                                : unescapeBytes(line.substr(blank + 1));
        if (!bytes)
            throw std::runtime_error("unreadable log line: " + line);
        entries.push_back({std::stoll(line.substr(0, blank)), *bytes});
    }
    return entries;
}

std::string SimProcess::output() const
{
    std::ifstream in(directory + "/output");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace sxsim
