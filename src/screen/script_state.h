#pragma once
// The Lua states that run the mod's data scripts: screens, style sheets, the colour
// table and font descriptions. Scripts come from strangers, so every state is a
// sandbox with almost no library, a cap on its memory and a budget of instructions per
// protected call, and every entry into Lua goes through a protected call whose error
// comes back as a status or a C++ exception, never as a panic.

#include "fs/file_blob.h"
#include "screen/lua_api.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace Screen {

// What one state may consume. The budget starts afresh at every protected call made
// through this file. It counts virtual-machine instructions, and the bytes the state
// allocates, one instruction per `bytes_per_instruction`: a string method or a
// concatenation copies a whole string in one instruction. The time limit is the last
// guard, for whatever the two miss.
struct ScriptLimits {
    std::size_t memory_bytes = std::size_t(512) << 20;
    std::uint64_t instructions = 100'000'000;
    std::uint32_t bytes_per_instruction = 16;
    std::uint32_t milliseconds = 2000;
    // Set from any thread, it stops whatever the state runs from then on, as the budget
    // does: for an owner that must not wait for a script (a module closing while its
    // background load runs one). Must outlive the state.
    const std::atomic<bool>* stop = nullptr;
};

struct ScriptStateDeleter {
    void operator()(lua_State* state) const;
};

// An owned Lua state; closing it releases everything the scripts made.
using ScriptState = std::unique_ptr<lua_State, ScriptStateDeleter>;

// A fresh state with no library at all. Throws std::bad_alloc when even that fails.
ScriptState create_script_state(const ScriptLimits& limits = ScriptLimits());

// The string methods byte, char, format, len, lower, rep, reverse, sub and upper,
// reachable only as methods of string values: there is no global `string`.
void open_string_methods(lua_State* state);

// The global `next`, as the standard one (the colour state iterates with it).
void register_next(lua_State* state);

// Loads a text chunk named "@slice" from the blob, releasing the blob either way. A
// null blob pushes "File not found" and returns LUA_ERRFILE. On failure the message is
// on the stack.
int load_chunk(lua_State* state, Mod::BlobPtr file);

// Calls the function below `nargs` arguments with no results and no message handler.
// On failure the error value is on the stack.
int run(lua_State* state, int nargs);

// The text of the error value on top of the stack (a string or number as is; for
// other values a description naming their type).
std::string error_text(lua_State* state, int index = -1);

// Thrown for a Lua error met outside the script-running steps; what() is Lua's message.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs `body` inside a protected call with a fresh instruction budget and the stack
// height restored afterwards. A Lua error (including the memory cap or the budget)
// becomes ScriptError with Lua's message; a C++ exception thrown by `body` reaches
// the caller unchanged. With `argument` (a stack index, 0 for none), that value is
// index 1 of the body's stack: the caller's slots are out of a protected call's reach.
void protected_call(lua_State* state, const std::function<void(lua_State*)>& body, int argument = 0);

// For host functions called by Lua: runs `body`, turning a C++ exception into a Lua
// error with its message, so that no foreign exception crosses the interpreter.
int host_function_guard(lua_State* state, const std::function<int(lua_State*)>& body);

// Counts `bytes` that the program copies out of the state (texts and names it keeps)
// against the state's memory cap, for good: a script must not make the program hold
// more than it may hold itself. Raises Lua's memory error past the cap: inside a
// protected call.
void charge_copy(lua_State* state, std::size_t bytes);

// Points (owner, ref) at the table on top of the stack with a registry reference,
// releasing the one they held first. False, and left unattached, when the top is no
// table. Raises Lua errors (memory): inside a protected call.
bool reference_top_table(lua_State* state, lua_State*& owner, int& ref);

// The message a script gets when it exceeds its instruction budget or its time, or is
// stopped.
extern const char* const instruction_budget_message;

} // namespace Screen
