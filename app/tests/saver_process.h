#pragma once

// The program under test as the live displays' tests run it: a process of its own, given
// arguments, one more environment variable and a file for its errors, killed if a test leaves
// it running.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

inline std::string epiphase; // the program under test, from the command line

// A process of the program, killed if a test leaves it running. `environment` changes the
// test's own for it: NAME=VALUE sets a variable, a NAME alone takes it away. Its standard error
// goes to the file `errors` where one is named.
class Saver {
  public:
    explicit Saver(std::vector<std::string> arguments, std::vector<std::string> environment = {},
                   const std::string& errors = "") {
        pid = fork();
        if (pid == 0) {
            for (std::string& change : environment) {
                change.find('=') != std::string::npos ? putenv(change.data())
                                                      : unsetenv(change.c_str());
            }
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
            if (!errors.empty()) {
                dup2(open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            }
            std::vector<char*> argv{epiphase.data()};
            for (std::string& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            execv(epiphase.c_str(), argv.data());
            _exit(127);
        }
    }
    ~Saver() {
        if (Running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool Running() {
        exited = exited || waitpid(pid, &status, WNOHANG) == pid;
        return !exited;
    }
    // The exit code once it ended by itself within the time, else -1000.
    int ExitCode(std::chrono::milliseconds within = 5000ms) {
        for (const auto end = std::chrono::steady_clock::now() + within;
             Running() && std::chrono::steady_clock::now() < end;) {
            std::this_thread::sleep_for(1ms);
        }
        return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1000;
    }
    void Signal(int number) { kill(pid, number); }
    pid_t Pid() const { return pid; }

  private:
    pid_t pid = -1;
    int status = 0;
    bool exited = false;
};
