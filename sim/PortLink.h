#pragma once
// The simulator's pseudo-terminal published under a port name: a symbolic
// link where Termin looks for "COMn".

#include <string>

namespace sxsim {

class PortLink {
public:
    // Points the port's link (where Termin looks for portName) at target, replacing a link that is already
    // there (the newest simulator owns the name). Refuses to replace a file
    // that is not a symbolic link. Throws std::runtime_error.
    PortLink(const std::string& portName, const std::string& target);
    // Removes the link unless someone has repointed it meanwhile.
    ~PortLink();

    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    const std::string& path() const { return linkPath; }

private:
    std::string linkPath;
    std::string target;
};

} // namespace sxsim
