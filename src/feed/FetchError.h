#pragma once
// The one error of the fetch path. `Fetch`, the OPML import and the prefetch catch it at
// their top; it never leaves them.
#include <windows.h>

#include <exception>

class FetchError : public std::exception {
public:
    explicit FetchError(HRESULT result) : result_(result) {}
    HRESULT result() const { return result_; }
    const char* what() const noexcept override { return "COM call failed"; }

private:
    HRESULT result_;
};

// Passes success codes (S_FALSE included) on and throws FetchError for failure codes.
inline HRESULT checkResult(HRESULT result) {
    if (FAILED(result)) throw FetchError(result);
    return result;
}
