#include "cli/Console.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform {
namespace {

int g_output = STDOUT_FILENO;
volatile sig_atomic_t g_interrupted = 0;

void WriteAll(int fd, const std::string& text)
{
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(fd, at, left);
        if (n <= 0) {
            return;
        }
        at += n;
        left -= static_cast<size_t>(n);
    }
}

// The run's stop, which Ctrl+C requests; a signal handler may not lock, so
// it writes to a pipe whose reader, a thread of its own, requests it.
std::mutex g_stopMutex;
StopSignal* g_stop = nullptr;
int g_wake[2] = {-1, -1};

void OnInterrupt(int)
{
    g_interrupted = 1;
    if (g_wake[1] >= 0) {
        const char byte = 1;
        (void)!write(g_wake[1], &byte, 1);
    }
}

void RequestStops()
{
    char byte = 0;
    for (;;) {
        const ssize_t n = read(g_wake[0], &byte, 1);
        if (n == 0 || (n < 0 && errno != EINTR)) {
            return;
        }
        const std::lock_guard<std::mutex> lock(g_stopMutex);
        if (g_stop != nullptr) {
            g_stop->Request();
        }
    }
}

// Catches SIGINT and SIGTERM; `saved`, when given, gets the handlers before.
// With `restart`, a call under way (an open, a write) goes on, so that the
// step it belongs to finishes or stops at its next check and never fails
// half-way; without, a blocked read returns.
void Catch(bool restart, struct sigaction* savedInterrupt, struct sigaction* savedTerminate)
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = restart ? SA_RESTART : 0;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, savedInterrupt);
    sigaction(SIGTERM, &action, savedTerminate);
}

}  // namespace


void DivertStandardOutput(bool traceToError)
{
    g_output = dup(STDOUT_FILENO);
    const int target = traceToError ? STDERR_FILENO : open("/dev/null", O_WRONLY);
    dup2(target, STDOUT_FILENO);
    if (!traceToError) {
        close(target);
    }
}

void WriteOutput(const std::string& text)
{
    WriteAll(g_output, text);
}

void WriteError(const std::string& text)
{
    WriteAll(STDERR_FILENO, text);
}

SecretRead ReadSecret(const std::string& prompt, std::string& secret)
{
    secret.clear();
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) {
        return SecretRead::NoConsole;
    }
    // Ctrl+C while echo is off must not end the process before echo is back.
    struct sigaction savedInterrupt {};
    struct sigaction savedTerminate {};
    Catch(false, &savedInterrupt, &savedTerminate);
    WriteError(prompt);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    SecretRead result = SecretRead::Ok;
    char c = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n == 1 && c != '\n') {
            secret += c;
            continue;
        }
        if (n == 1) {
            break;
        }
        if (n < 0 && errno == EINTR && !g_interrupted) {
            continue;
        }
        result = g_interrupted ? SecretRead::Interrupted : SecretRead::Failed;  // also at the end of input
        break;
    }
    c = 0;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    WriteError("\n");
    sigaction(SIGINT, &savedInterrupt, nullptr);
    sigaction(SIGTERM, &savedTerminate, nullptr);
    if (result != SecretRead::Ok) {
        WipeMemory(&secret[0], secret.size());
        secret.clear();
    }
    return result;
}

void CatchInterrupt(StopSignal& stop)
{
    {
        const std::lock_guard<std::mutex> lock(g_stopMutex);
        g_stop = &stop;
    }
    if (g_wake[0] < 0 && pipe(g_wake) == 0) {
        std::thread(RequestStops).detach();
    }
    if (g_interrupted) {
        stop.Request();  // Ctrl+C came while a password was asked for
    }
    Catch(true, nullptr, nullptr);
}

void ReadyToEnd()
{
    // A caught signal ends nothing here: the process ends when it returns.
    const std::lock_guard<std::mutex> lock(g_stopMutex);
    g_stop = nullptr;
}

bool TakeEnvironment(const char* name, std::string& value)
{
    char* found = std::getenv(name);
    if (found == nullptr) {
        return false;
    }
    value = found;
    WipeMemory(found, std::strlen(found));
    unsetenv(name);
    return !value.empty();
}

std::string SharedCredentialsPath()
{
    const char* home = std::getenv("HOME");
    return home == nullptr || *home == '\0' ? "" : std::string(home) + "/.aws/credentials";
}

bool ErrorIsConsole()
{
    return isatty(STDERR_FILENO) == 1;
}

}  // namespace platform
