#pragma once
// The office as a process: its profile, the local pipes it listens on, and
// starting soffice.

#include <sys/types.h>

#include <string>
#include <vector>

namespace sheetwire::calc {

// The profile an office started without -env:UserInstallation uses, as the
// office itself works it out (a file URL).
std::string defaultProfileUrl();

// The name of the pipe on which the office of this profile takes the
// command lines of later soffice starts: one per profile, derived from the
// profile URL exactly as the office derives it.
std::string singleInstancePipeName(const std::string& profileUrl);

// Whether something accepts connections on the local pipe of this name (in
// the office's per-user naming). A pipe file left behind by a crashed office
// refuses connections and so does not count, nor does a pipe of another
// user's.
bool pipeAnswers(const std::string& pipeName);

// Whether something lies where the office's local pipe of this name would
// be that is not a socket of this user. The office keeps its pipes in a
// directory every user may write to (/tmp): another user could put one
// there first and be taken for the office.
bool pipeBelongsToOthers(const std::string& pipeName);

// The executable file program in the first directory of PATH that has one;
// empty when none has.
std::string findOnPath(const std::string& program);

// Starts soffice, as found on PATH, with these arguments in a session of its
// own, with stdin, stdout and stderr on /dev/null and no other descriptor of
// ours, and reaps the intermediate child so that nothing is left to wait
// for. Returns the process id of soffice (it keeps running while the office
// runs), or -1 when there is none on PATH or it could not be started.
pid_t startSoffice(const std::vector<std::string>& arguments);

// Whether a process started by startSoffice is still running.
bool processRunning(pid_t pid);

} // namespace sheetwire::calc
