#pragma once

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

namespace voroquarn::testing {

// What a /proc stat file (/proc/PID/stat, or /proc/PID/task/TID/stat for one thread)
// tells: the state letter (R, S, T, Z, ...), the parent's process id, and the processor
// time used so far, user and system, in clock ticks.
struct ProcStat {
    char state = '?';
    long long parent = 0;
    long long ticks = 0;
};

// Reads a stat file; nothing when it cannot be read, as once the process is gone.
inline std::optional<ProcStat> readProcStat(const std::string& path)
{
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses; the fields after it are counted
    // from its last ')': state first, the parent second, user time 12th and system time
    // 13th.
    const auto nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string state;
    std::string skipped;
    long long parent = 0;
    fields >> state >> parent;
    for (int n = 0; n < 9; ++n) {
        fields >> skipped;
    }
    long long user = 0;
    long long system = 0;
    fields >> user >> system;
    if (!fields || state.size() != 1) {
        return std::nullopt;
    }
    return ProcStat{state[0], parent, user + system};
}

}  // namespace voroquarn::testing
