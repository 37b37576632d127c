#pragma once
// Shaders are compiled from source at run time by the newest D3DCompiler_<n>.dll in the
// system or Windows directory, loaded on first use; the program links no compiler.

#include "app/com_exception.h"

#include <d3dcompiler.h>
#include <wrl/client.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace HLSL {

// The loaded compiler DLL. Dropping the last holder does not unload it: compiled code
// and the compiler stay usable for the rest of the process.
struct CompilerModule {
    HMODULE module = nullptr;
};

struct ShaderCompiler {
    std::shared_ptr<CompilerModule> module; // null until loaded
    pD3DCompile d3d_compile = nullptr;     // set once loaded
};

// A compile that failed with the compiler's diagnostics; what() is their text.
class CompilationException : public App::COMException {
public:
    CompilationException(HRESULT hr, Microsoft::WRL::ComPtr<ID3DBlob> errors) noexcept;
    const char* what() const noexcept override;

private:
    Microsoft::WRL::ComPtr<ID3DBlob> m_errors;
    std::string m_text; // the blob's text up to its first zero, never past its end
};

// What the search asks of the system; tests replace it.
struct CompilerSearchSystem {
    // The folders searched, in order (empty entries are skipped).
    std::vector<std::wstring> (*folders)();
    // Long names of the files matching a pattern (a folder + "\D3DCompiler_*.dll").
    std::vector<std::wstring> (*find_files)(const std::wstring& pattern);
    HMODULE (*load_library)(const wchar_t* file_name);
    FARPROC (*get_proc_address)(HMODULE module, const char* name);
    void (*free_library)(HMODULE module);
};

const CompilerSearchSystem& system_compiler_search();

// The number before ".dll" in a compiler's file name, read backwards from the last
// character before the extension: 43 for D3DCompiler_43.dll, 0 when there is none.
int compiler_version(const std::wstring& file_name);

// Loads the newest compiler that has a D3DCompile export, unless one is loaded. Throws
// std::runtime_error "No D3DCompiler DLL found" or "No suitable D3DCompiler DLL found".
void ensure_loaded(ShaderCompiler& compiler, const CompilerSearchSystem& system = system_compiler_search());

// Compiles `source` (`length` bytes) and returns the code. Throws CompilationException
// with the diagnostics, or COMException "D3DCompile" when there are none.
Microsoft::WRL::ComPtr<ID3DBlob> compile(ShaderCompiler& compiler, const char* source, std::size_t length,
                                         const char* entry_point, const char* target, UINT flags1);

} // namespace HLSL
