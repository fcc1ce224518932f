#include "child_report.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zenta::test {

std::string RunInChild(const std::function<bool()>& prepare, const std::function<std::string()>& work) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return "pipe failed";
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (!prepare()) _exit(2);
        std::string report = work();
        if (write(pipeFds[1], report.data(), report.size()) < 0) _exit(3);
        _exit(0);
    }
    close(pipeFds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child ended with status " << status;
    return report;
}

}  // namespace zenta::test
