#include "LaunchDetached.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

std::string FindExecutable(const char* program) {
    const std::string name = program;
    if (name.find('/') != std::string::npos) return access(program, X_OK) == 0 ? name : "";
    const char* pathList = std::getenv("PATH");
    std::string paths = pathList && *pathList ? pathList : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= paths.size()) {
        size_t end = paths.find(':', start);
        if (end == std::string::npos) end = paths.size();
        const std::string folder = end > start ? paths.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

namespace {

void ReportAndExit(int fd, int status) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = write(fd, &error, sizeof(error));
    _exit(status);
}

} // namespace

bool LaunchDetached(const char* program, const char* argument) {
    if (!program || !*program || !argument) return false;
    std::string path = FindExecutable(program);
    if (path.empty()) return false;
    std::string arg0 = program, arg1 = argument;
    char* const argv[] = {arg0.data(), arg1.data(), nullptr};

    // The grandchild runs the program; the child exits at once so that nothing is left to
    // wait for. The pipe closes on a successful exec and carries errno on a failed one.
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        const pid_t grandchild = fork();
        if (grandchild < 0) ReportAndExit(pipeFds[1], 1);
        if (grandchild == 0) {
            setsid();
            execv(path.c_str(), argv);
            ReportAndExit(pipeFds[1], 127);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(pipeFds[0], &error, sizeof(error))) < 0 && errno == EINTR) {
    }
    close(pipeFds[0]);
    return got == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
