#include "screen/script_state.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <string>

namespace Screen {

namespace {

using Clock = std::chrono::steady_clock;

// What a state has used of its limits; the allocator's user data.
struct StateAccount {
    std::size_t memory_used = 0;
    std::size_t memory_limit = 0;
    std::uint64_t instructions_run = 0; // allocated bytes included, by their price
    std::uint64_t instruction_limit = 0;
    std::uint32_t bytes_per_instruction = 1;
    Clock::duration time_limit{};
    Clock::time_point started{};
    const std::atomic<bool>* stop = nullptr;
    lua_State* main = nullptr; // whose hook the allocator brings forward

    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// How many instructions run between two looks at the budget.
constexpr int budget_step = 10000;

StateAccount* account_of(lua_State* state)
{
    void* account = nullptr;
    lua_getallocf(state, &account);
    return static_cast<StateAccount*>(account);
}

void count_instructions(lua_State* state, lua_Debug*)
{
    StateAccount* account = account_of(state);
    account->instructions_run += budget_step;
    if (account->instructions_run > account->instruction_limit || account->stopped() ||
        Clock::now() - account->started > account->time_limit)
        luaL_error(state, "%s (%f million instructions, %d ms)", instruction_budget_message,
                   static_cast<double>(account->instruction_limit) / 1e6,
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(account->time_limit).count()));
}

void restart_budget(lua_State* state)
{
    StateAccount* account = account_of(state);
    account->instructions_run = 0;
    account->started = Clock::now();
    lua_sethook(state, count_instructions, LUA_MASKCOUNT, budget_step);
}

void* allocate(void* user, void* block, std::size_t old_size, std::size_t new_size)
{
    auto* account = static_cast<StateAccount*>(user);
    if (!block)
        old_size = 0; // then it only tells the kind of object
    if (new_size == 0) {
        std::free(block);
        account->memory_used -= old_size;
        return nullptr;
    }
    // A refusal becomes Lua's own memory error in the protected call that asked.
    if (new_size > old_size) {
        const std::size_t growth = new_size - old_size;
        if (growth > account->memory_limit - account->memory_used)
            return nullptr;
        // What a script makes costs as the instructions that would take as long. Past the
        // budget, the hook looks at the very next instruction, and ends the script with
        // the budget's own message (setting a hook is safe at any moment).
        account->instructions_run += growth / account->bytes_per_instruction;
        if (account->main && (account->instructions_run > account->instruction_limit || account->stopped()))
            lua_sethook(account->main, count_instructions, LUA_MASKCOUNT, 1);
    }
    void* moved = std::realloc(block, new_size);
    if (moved)
        account->memory_used = account->memory_used - old_size + new_size;
    return moved;
}

int panic(lua_State* state)
{
    const char* message = lua_tostring(state, -1);
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message ? message : "(null)");
    std::fflush(stderr);
    return 0;
}

// Standard `next(t [, k])`.
int next_entry(lua_State* state)
{
    luaL_checktype(state, 1, LUA_TTABLE);
    lua_settop(state, 2); // a missing key is nil
    if (lua_next(state, 1))
        return 2;
    lua_pushnil(state);
    return 1;
}

struct ProtectedBody {
    const std::function<void(lua_State*)>* body;
    std::exception_ptr failure;
};

int run_protected_body(lua_State* state)
{
    auto* call = static_cast<ProtectedBody*>(lua_touserdata(state, 1));
    lua_remove(state, 1);
    bool failed = false;
    try {
        (*call->body)(state);
    } catch (const std::exception&) {
        // Only our own exceptions: Lua's errors are exceptions too and must travel on.
        call->failure = std::current_exception();
        failed = true;
    }
    if (failed) {
        lua_pushliteral(state, "host failure");
        return lua_error(state);
    }
    return 0;
}

// string.format converts %d, %i, %o, %u, %x and %X arguments to the library's integer
// type before it checks their range, which is undefined for numbers out of range
// (('%d'):format(1e300)). This checks them first, with the library's own messages,
// then hands the call to the library's function (upvalue 1).
int checked_format(lua_State* state)
{
    // The library's integer type for these conversions: long (no LUA_USE_LONGLONG).
    constexpr double signed_low = static_cast<double>(std::numeric_limits<long>::min());
    constexpr double signed_end = -signed_low; // exclusive
    constexpr double unsigned_end = 2.0 * signed_end;
    std::size_t length = 0;
    const char* format = lua_tolstring(state, 1, &length);
    for (std::size_t i = 0, arg = 1; format && i < length; ++i) {
        if (format[i] != '%')
            continue;
        if (++i < length && format[i] == '%')
            continue;
        ++arg;
        while (i < length && format[i] != '\0' && std::strchr("-+ #0123456789.", format[i]))
            ++i;
        if (i >= length)
            break;
        const char conversion = format[i];
        const bool is_signed = conversion == 'd' || conversion == 'i';
        const bool is_unsigned = conversion == 'o' || conversion == 'u' || conversion == 'x' || conversion == 'X';
        int is_number = 0;
        const lua_Number n = lua_tonumberx(state, static_cast<int>(arg), &is_number);
        if (!is_number)
            continue; // the library reports what is not a number
        if (is_signed && !(n >= signed_low && n < signed_end))
            luaL_argerror(state, static_cast<int>(arg), "not a number in proper range");
        if (is_unsigned && !(n > -1.0 && n < unsigned_end))
            luaL_argerror(state, static_cast<int>(arg), "not a non-negative number in proper range");
    }
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, lua_gettop(state) - 1, LUA_MULTRET);
    return lua_gettop(state);
}

} // namespace

const char* const instruction_budget_message = "script stopped: it ran longer than allowed";

void ScriptStateDeleter::operator()(lua_State* state) const
{
    StateAccount* account = account_of(state);
    lua_close(state);
    delete account;
}

ScriptState create_script_state(const ScriptLimits& limits)
{
    auto account = std::make_unique<StateAccount>();
    account->memory_limit = limits.memory_bytes;
    account->instruction_limit = limits.instructions;
    account->bytes_per_instruction = limits.bytes_per_instruction > 0 ? limits.bytes_per_instruction : 1;
    account->time_limit = std::chrono::milliseconds(limits.milliseconds);
    account->started = Clock::now();
    account->stop = limits.stop;
    lua_State* state = lua_newstate(allocate, account.get());
    if (!state)
        throw std::bad_alloc();
    account->main = state;
    account.release(); // the deleter frees it after lua_close
    ScriptState owned(state);
    lua_atpanic(state, panic);
    lua_sethook(state, count_instructions, LUA_MASKCOUNT, budget_step);
    return owned;
}

void open_string_methods(lua_State* state)
{
    protected_call(state, [](lua_State* L) {
        lua_pushcfunction(L, luaopen_string);
        lua_call(L, 0, 0);
        // The library sets itself as the strings' index table and registers no global.
        // Only nine of its functions are offered: no patterns and no dump.
        lua_pushliteral(L, "");
        if (lua_getmetatable(L, -1)) {
            lua_getfield(L, -1, "__index");
            if (lua_istable(L, -1)) {
                for (const char* name : {"dump", "find", "gmatch", "gsub", "match"}) {
                    lua_pushnil(L);
                    lua_setfield(L, -2, name);
                }
                lua_getfield(L, -1, "format");
                lua_pushcclosure(L, checked_format, 1);
                lua_setfield(L, -2, "format");
            }
        }
    });
}

void register_next(lua_State* state)
{
    protected_call(state, [](lua_State* L) {
        lua_pushcfunction(L, next_entry);
        lua_setglobal(L, "next");
    });
}

int load_chunk(lua_State* state, Mod::BlobPtr file)
{
    if (!file) {
        lua_pushliteral(state, "File not found");
        return LUA_ERRFILE;
    }
    restart_budget(state);
    const char* data = reinterpret_cast<const char*>(file->data);
    int status = luaL_loadbufferx(state, data ? data : "", file->size, "@slice", "t");
    file.reset();
    return status;
}

int run(lua_State* state, int nargs)
{
    restart_budget(state);
    return lua_pcall(state, nargs, 0, 0);
}

std::string error_text(lua_State* state, int index)
{
    // Nothing here may allocate in the state: it runs after a failure, unprotected.
    if (lua_type(state, index) == LUA_TSTRING) {
        std::size_t length = 0;
        const char* text = lua_tolstring(state, index, &length);
        return std::string(text, length);
    }
    if (lua_type(state, index) == LUA_TNUMBER) {
        char text[64];
        std::snprintf(text, sizeof(text), LUA_NUMBER_FMT, static_cast<double>(lua_tonumber(state, index)));
        return text;
    }
    return std::string("(error object is a ") + lua_typename(state, lua_type(state, index)) + " value)";
}

void protected_call(lua_State* state, const std::function<void(lua_State*)>& body, int argument)
{
    const int height = lua_gettop(state);
    if (!lua_checkstack(state, 3))
        throw ScriptError("not enough Lua stack");
    if (argument != 0)
        argument = lua_absindex(state, argument);
    ProtectedBody call{&body, nullptr};
    restart_budget(state);
    lua_pushcfunction(state, run_protected_body);
    lua_pushlightuserdata(state, &call);
    if (argument != 0)
        lua_pushvalue(state, argument);
    int status = lua_pcall(state, argument != 0 ? 2 : 1, 0, 0);
    if (status == LUA_OK) {
        lua_settop(state, height);
        return;
    }
    std::string message = error_text(state);
    lua_settop(state, height);
    if (call.failure)
        std::rethrow_exception(call.failure);
    throw ScriptError(message);
}

void charge_copy(lua_State* state, std::size_t bytes)
{
    StateAccount* account = account_of(state);
    if (bytes > account->memory_limit - account->memory_used)
        luaL_error(state, "not enough memory");
    account->memory_used += bytes;
}

bool reference_top_table(lua_State* state, lua_State*& owner, int& ref)
{
    if (owner) {
        luaL_unref(owner, LUA_REGISTRYINDEX, ref);
        owner = nullptr;
        ref = LUA_NOREF;
    }
    if (!lua_istable(state, -1))
        return false;
    luaL_checkstack(state, 8, "table");
    lua_pushvalue(state, -1);
    ref = luaL_ref(state, LUA_REGISTRYINDEX);
    owner = state;
    return true;
}

int host_function_guard(lua_State* state, const std::function<int(lua_State*)>& body)
{
    std::string message;
    try {
        return body(state);
    } catch (const std::bad_alloc&) {
        message = "not enough memory";
    } catch (const std::exception& failure) {
        message = failure.what();
    }
    lua_pushlstring(state, message.data(), message.size());
    return lua_error(state);
}

} // namespace Screen
