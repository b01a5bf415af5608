#pragma once
// Ending the program with one of its exit codes: 0 normal, 1 an error that
// escaped a start-up step, 10 connection lost, 11 fatal start-up condition.
#include <atomic>
#include <exception>
#include <functional>

struct EProgramExit : std::exception
{
    explicit EProgramExit(int c) : code(c) {}
    int code;
    const char* what() const noexcept override { return "program exit"; }
};

// Set while the program closes: threads and handlers stop early.
extern std::atomic<bool> ProgramClosing;

// Raised from code that runs straight from main() (start-up steps); main returns the code.
[[noreturn]] void HaltProgram(int code);

// Ends the process at once from anywhere (an event handler); tests replace it.
using TProgramTerminator = std::function<void(int code)>;
void SetProgramTerminator(TProgramTerminator t);
void TerminateProgram(int code);
