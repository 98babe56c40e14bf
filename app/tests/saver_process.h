#pragma once

// The processes the live displays' tests start: the program under test, and the other programs
// a user's desktop runs beside it.

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

// A process a test starts: a program (looked up on PATH unless it names a path) with its
// arguments, killed if the test leaves it running. `environment` changes the test's own for it:
// NAME=VALUE sets a variable, a NAME alone takes it away. Its standard output is dropped; its
// standard error goes to the file `errors` where one is named.
class Process {
  public:
    explicit Process(std::vector<std::string> command, std::vector<std::string> environment = {},
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
            std::vector<char*> argv;
            for (std::string& word : command) {
                argv.push_back(word.data());
            }
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
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

// A process of the program under test.
class Saver : public Process {
  public:
    explicit Saver(std::vector<std::string> arguments, std::vector<std::string> environment = {},
                   const std::string& errors = "")
        : Process(WithProgram(std::move(arguments)), std::move(environment), errors) {}

  private:
    static std::vector<std::string> WithProgram(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), epiphase);
        return arguments;
    }
};
