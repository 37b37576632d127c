#pragma once
// The one rule for every COM call: a negative HRESULT raises COMException with the
// call's name; any other result is success. The wrappers in *_calls.h are one line
// each on top of check(), and return out-interfaces as ComPtr.
//
// Pattern for a new wrapper (one per wrapped method, named after it):
//
//   inline Microsoft::WRL::ComPtr<ID2D1Layer> create_layer(ID2D1RenderTarget* target)
//   {
//       Microsoft::WRL::ComPtr<ID2D1Layer> layer;
//       check(target->CreateLayer(nullptr, &layer), "ID2D1RenderTarget::CreateLayer");
//       return layer;
//   }

#include <windows.h>

namespace App {

[[noreturn]] void throw_com_error(HRESULT hr, const char* call_name);

inline void check(HRESULT hr, const char* call_name)
{
    if (FAILED(hr))
        throw_com_error(hr, call_name);
}

} // namespace App
