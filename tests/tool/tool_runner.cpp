#include "tool_runner.h"

#include "support/temp_folder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
extern char** environ;
#endif

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
// The build tree names the tool by its Unix path; Wine sees the Unix root as drive Z:.
std::string tool_path()
{
    std::string path = TVSE_TOOL_PATH;
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// One argument quoted the way the C run-time's command-line parser splits it back.
std::string quoted(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
        return argument;
    std::string result = "\"";
    std::size_t backslashes = 0; // pending: doubled only before a quote or the closing quote
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        result.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        result += c;
        backslashes = 0;
    }
    result.append(2 * backslashes, '\\');
    return result + "\"";
}

HANDLE inheritable_output(const std::string& path)
{
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}
#endif

} // namespace

ToolRun run_tool(const std::vector<std::string>& arguments)
{
    TempFolder folder;
    const std::string out_path = folder.path("out.bin");
    const std::string err_path = folder.path("err.txt");
    ToolRun run;
#ifdef _WIN32
    const std::string program = tool_path();
    std::string command_line = quoted(program);
    for (const auto& argument : arguments)
        command_line += " " + quoted(argument);
    HANDLE out = inheritable_output(out_path);
    HANDLE err = inheritable_output(err_path);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create the tool's output files");
    // The tool gets its two files and nothing of this process's own: a child that holds
    // the test's output (the pipe the test runner reads) keeps the runner waiting for as
    // long as anything of it lingers after it has ended. No console either: it writes
    // through the handles it is given.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE own = GetStdHandle(which);
        if (own && own != INVALID_HANDLE_VALUE)
            SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(program.c_str(), &command_line[0], nullptr, nullptr, TRUE, DETACHED_PROCESS,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.exit_code = static_cast<int>(code);
#else
    std::vector<std::string> argv_strings{TVSE_TOOL_PATH};
    argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& s : argv_strings)
        argv.push_back(&s[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed)
        throw std::runtime_error(std::string("cannot start ") + TVSE_TOOL_PATH);
    int status = 0;
    waitpid(child, &status, 0);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
    run.out = slurp(out_path);
    run.err = slurp(err_path);
    return run;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}
