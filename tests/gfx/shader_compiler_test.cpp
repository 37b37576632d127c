// The run-time shader compiler: which DLL the search picks, and how compile results
// become exceptions.

#include "gfx/shader_compiler.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A scripted system: the files each folder holds, which of them load, which export
// D3DCompile; and a log of what the search did.
struct FakeSystem {
    std::vector<std::wstring> folders;
    std::map<std::wstring, std::vector<std::wstring>> files;
    std::map<std::wstring, bool> exports; // loadable names; false: no D3DCompile
    std::vector<std::wstring> loaded;
    std::vector<std::wstring> freed;
    int searches = 0;
};

FakeSystem* fake = nullptr;

HMODULE handle_of(const std::wstring& name)
{
    return reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(std::hash<std::wstring>()(name) | 1));
}

HRESULT WINAPI fake_compile(const void*, SIZE_T, const char*, const D3D_SHADER_MACRO*, ID3DInclude*, const char*,
                            const char*, UINT, UINT, ID3DBlob**, ID3DBlob**)
{
    return E_FAIL;
}

const HLSL::CompilerSearchSystem fake_search = {
    []() {
        ++fake->searches;
        return fake->folders;
    },
    [](const std::wstring& pattern) {
        const std::wstring folder = pattern.substr(0, pattern.rfind(L'\\'));
        EXPECT_EQ(pattern.substr(folder.size()), L"\\D3DCompiler_*.dll");
        return fake->files[folder];
    },
    [](const wchar_t* name) -> HMODULE {
        auto found = fake->exports.find(name);
        if (found == fake->exports.end())
            return nullptr;
        fake->loaded.push_back(name);
        return handle_of(name);
    },
    [](HMODULE module, const char* name) -> FARPROC {
        EXPECT_STREQ(name, "D3DCompile");
        for (const auto& entry : fake->exports)
            if (handle_of(entry.first) == module && entry.second)
                return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fake_compile));
        return nullptr;
    },
    [](HMODULE module) {
        for (const auto& entry : fake->exports)
            if (handle_of(entry.first) == module)
                fake->freed.push_back(entry.first);
    },
};

class ShaderCompilerSearchTest : public ::testing::Test {
protected:
    void SetUp() override { fake = &system; }
    void TearDown() override { fake = nullptr; }
    FakeSystem system;
};

TEST(ShaderCompilerVersionTest, NumberBeforeTheExtension)
{
    EXPECT_EQ(HLSL::compiler_version(L"D3DCompiler_43.dll"), 43);
    EXPECT_EQ(HLSL::compiler_version(L"d3dcompiler_47.dll"), 47);
    EXPECT_EQ(HLSL::compiler_version(L"D3DCompiler_beta.dll"), 0);
    EXPECT_EQ(HLSL::compiler_version(L"D3DCompiler_.dll"), 0);
    EXPECT_EQ(HLSL::compiler_version(L"D3DCompiler_9999999999999.dll"), 999999999) << "no overflow";
    EXPECT_EQ(HLSL::compiler_version(L"x"), 0);
}

TEST_F(ShaderCompilerSearchTest, TheNewestLoadableCompilerWinsLoadedByItsFullPath)
{
    system.folders = {L"C:\\windows\\system32", L"C:\\windows"};
    system.files[L"C:\\windows\\system32"] = {L"D3DCompiler_42.dll", L"D3DCompiler_43.dll", L"D3DCompiler_x.dll"};
    system.files[L"C:\\windows"] = {L"D3DCompiler_44.dll"};
    const std::wstring newest = L"C:\\windows\\system32\\D3DCompiler_43.dll";
    system.exports = {{L"C:\\windows\\system32\\D3DCompiler_42.dll", true}, {newest, true},
                      {L"C:\\windows\\system32\\D3DCompiler_x.dll", true}};
    HLSL::ShaderCompiler compiler;
    HLSL::ensure_loaded(compiler, fake_search);
    // 44 does not load; 43 is the newest that does.
    EXPECT_EQ(system.loaded, std::vector<std::wstring>{newest});
    ASSERT_TRUE(compiler.module);
    EXPECT_EQ(compiler.module->module, handle_of(newest));
    EXPECT_TRUE(compiler.d3d_compile);
    HLSL::ensure_loaded(compiler, fake_search);
    EXPECT_EQ(system.searches, 1) << "a loaded compiler is not searched again";
}

TEST_F(ShaderCompilerSearchTest, CandidatesWithoutTheExportAreFreedAndTheNextTried)
{
    system.folders = {L"", L"C:\\windows"};
    system.files[L"C:\\windows"] = {L"D3DCompiler_47.dll", L"D3DCompiler_46.dll", L"D3DCompiler_old.dll"};
    const std::wstring v47 = L"C:\\windows\\D3DCompiler_47.dll", v46 = L"C:\\windows\\D3DCompiler_46.dll",
                       old = L"C:\\windows\\D3DCompiler_old.dll";
    system.exports = {{v47, false}, {v46, false}, {old, true}};
    HLSL::ShaderCompiler compiler;
    HLSL::ensure_loaded(compiler, fake_search);
    EXPECT_EQ(system.loaded, (std::vector<std::wstring>{v47, v46, old}))
        << "a name without digits counts as version 0 and comes last";
    EXPECT_EQ(system.freed, (std::vector<std::wstring>{v47, v46}));
    EXPECT_EQ(compiler.module->module, handle_of(old));
}

TEST_F(ShaderCompilerSearchTest, FailedSearchesSayWhyAndCanBeRepeated)
{
    system.folders = {L"C:\\windows\\system32"};
    HLSL::ShaderCompiler compiler;
    try {
        HLSL::ensure_loaded(compiler, fake_search);
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "No D3DCompiler DLL found");
    }
    system.files[L"C:\\windows\\system32"] = {L"D3DCompiler_43.dll"};
    system.exports = {{L"C:\\windows\\system32\\D3DCompiler_43.dll", false}};
    try {
        HLSL::ensure_loaded(compiler, fake_search);
        FAIL();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "No suitable D3DCompiler DLL found");
    }
    EXPECT_FALSE(compiler.d3d_compile);
    EXPECT_FALSE(compiler.module);
    EXPECT_EQ(system.searches, 2);
}

TEST(ShaderCompilerTest, TheSystemsNewestCompilerCompiles)
{
    HLSL::ShaderCompiler compiler;
    Microsoft::WRL::ComPtr<ID3DBlob> code =
        HLSL::compile(compiler, "float4 m():SV_Target{return 1;}", 32, "m", "ps_4_0", 0);
    ASSERT_TRUE(code);
    EXPECT_GT(code->GetBufferSize(), 0u);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(compiler.module->module, path, MAX_PATH);
    const std::wstring name(path);
    // This machine's system folder holds several; the search must take the newest.
    EXPECT_NE(name.find(L"47"), std::wstring::npos);
}

TEST(ShaderCompilerTest, CompileErrorsCarryTheCompilersText)
{
    HLSL::ShaderCompiler compiler;
    const char broken[] = "float4 m():SV_Target{return undefined_name;}";
    try {
        HLSL::compile(compiler, broken, sizeof(broken), "m", "ps_4_0", 0);
        FAIL();
    } catch (const HLSL::CompilationException& error) {
        // The compiler's own diagnostics, not the formatted HRESULT.
        EXPECT_EQ(std::string(error.what()).find("(D3DCompile)"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()), "") << error.what();
        EXPECT_STREQ(error.call_name(), "D3DCompile");
        EXPECT_LT(error.hr(), 0);
    }
}

TEST(ShaderCompilerTest, FailuresWithoutDiagnosticsNameTheCall)
{
    HLSL::ShaderCompiler compiler;
    compiler.d3d_compile = fake_compile; // fails with no error blob
    try {
        HLSL::compile(compiler, "x", 1, "m", "ps_4_0", 0);
        FAIL();
    } catch (const HLSL::CompilationException&) {
        FAIL() << "no diagnostics, no CompilationException";
    } catch (const App::COMException& error) {
        EXPECT_EQ(error.hr(), E_FAIL);
        EXPECT_STREQ(error.call_name(), "D3DCompile");
    }
}

} // namespace
