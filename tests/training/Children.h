// The concurrency tests' machines: copies of the test's own executable,
// started at once, each with its own arguments.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace ravx::childtest {

// Starts `count` processes of `self`, child n (1..count) with the arguments
// `argumentsOf(n)`, waits for all of them and returns whether each exited
// with status 0.
inline bool RunChildren(const char* self, int count, const std::function<std::vector<std::string>(int)>& argumentsOf)
{
    std::vector<pid_t> children;
    for (int n = 1; n <= count; ++n) {
        const std::vector<std::string> args = argumentsOf(n);  // made before the fork
        std::vector<char*> argv{const_cast<char*>(self)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid < 0)
            break;
        if (pid == 0) {
            execv(self, argv.data());
            _exit(127);
        }
        children.push_back(pid);
    }
    bool ok = static_cast<int>(children.size()) == count;
    for (pid_t pid : children) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return ok;
}

}  // namespace ravx::childtest
