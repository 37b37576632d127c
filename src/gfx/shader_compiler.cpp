#include "gfx/shader_compiler.h"

#include <algorithm>
#include <stdexcept>

namespace HLSL {

using Microsoft::WRL::ComPtr;

namespace {

// Asks for the length first, then for the text.
std::wstring folder_of(UINT (WINAPI* get)(LPWSTR, UINT))
{
    UINT length = get(nullptr, 0);
    if (length == 0)
        return std::wstring();
    std::wstring folder(length, L'\0');
    UINT written = get(&folder[0], length);
    if (written == 0 || written >= length)
        return std::wstring();
    folder.resize(written);
    return folder;
}

std::vector<std::wstring> system_folders()
{
    return {folder_of(GetSystemDirectoryW), folder_of(GetWindowsDirectoryW)};
}

std::vector<std::wstring> system_find_files(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

HMODULE system_load_library(const wchar_t* file_name)
{
    return LoadLibraryW(file_name);
}

void system_free_library(HMODULE module)
{
    FreeLibrary(module);
}

struct Candidate {
    int version;
    std::wstring path;
};

} // namespace

CompilationException::CompilationException(HRESULT hr, ComPtr<ID3DBlob> errors) noexcept
    : COMException(hr, "D3DCompile"), m_errors(std::move(errors))
{
    // Some compilers do not terminate the text inside the blob.
    if (m_errors && m_errors->GetBufferSize() > 0) {
        const char* text = static_cast<const char*>(m_errors->GetBufferPointer());
        const char* end = text + m_errors->GetBufferSize();
        try {
            m_text.assign(text, std::find(text, end, '\0'));
        } catch (...) {
            m_text.clear(); // no memory for the text: the HRESULT's text will do
        }
    }
}

const char* CompilationException::what() const noexcept
{
    return m_text.empty() ? COMException::what() : m_text.c_str();
}

const CompilerSearchSystem& system_compiler_search()
{
    static const CompilerSearchSystem system = {system_folders, system_find_files, system_load_library,
                                                GetProcAddress, system_free_library};
    return system;
}

int compiler_version(const std::wstring& file_name)
{
    // The character five places before the terminating zero is the last before ".dll".
    if (file_name.size() < 5)
        return 0;
    int version = 0;
    int weight = 1;
    for (std::size_t i = file_name.size() - 5 + 1; i-- > 0;) {
        const wchar_t c = file_name[i];
        if (c < L'0' || c > L'9' || weight > 100000000)
            break;
        version += (c - L'0') * weight;
        weight *= 10;
    }
    return version;
}

void ensure_loaded(ShaderCompiler& compiler, const CompilerSearchSystem& system)
{
    if (compiler.d3d_compile)
        return;
    std::vector<Candidate> candidates;
    for (const std::wstring& folder : system.folders()) {
        if (folder.empty())
            continue;
        // By full path: a bare name would be looked for in the program's and the current
        // folder first, where anyone may have put a DLL of that name.
        for (const std::wstring& name : system.find_files(folder + L"\\D3DCompiler_*.dll"))
            candidates.push_back({compiler_version(name), folder + L"\\" + name});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.version > b.version; });
    if (candidates.empty())
        throw std::runtime_error("No D3DCompiler DLL found");
    for (const Candidate& candidate : candidates) {
        HMODULE module = system.load_library(candidate.path.c_str());
        if (!module)
            continue;
        if (FARPROC function = system.get_proc_address(module, "D3DCompile")) {
            auto holder = std::make_shared<CompilerModule>();
            holder->module = module;
            compiler.module = std::move(holder);
            compiler.d3d_compile = reinterpret_cast<pD3DCompile>(reinterpret_cast<void*>(function));
            return;
        }
        system.free_library(module);
    }
    throw std::runtime_error("No suitable D3DCompiler DLL found");
}

ComPtr<ID3DBlob> compile(ShaderCompiler& compiler, const char* source, std::size_t length, const char* entry_point,
                         const char* target, UINT flags1)
{
    ensure_loaded(compiler);
    ComPtr<ID3DBlob> code;
    ComPtr<ID3DBlob> errors;
    HRESULT hr = compiler.d3d_compile(source, length, nullptr, nullptr, nullptr, entry_point, target, flags1, 0,
                                      &code, &errors);
    if (SUCCEEDED(hr))
        return code;
    if (errors && errors->GetBufferSize() > 0 && static_cast<const char*>(errors->GetBufferPointer())[0] != '\0')
        throw CompilationException(hr, std::move(errors));
    throw App::COMException(hr, "D3DCompile");
}

} // namespace HLSL
