#pragma once
// The message callbacks registered with WIMRegisterMessageCallback, and sending one message to
// them on the calling thread, as wimgapi does during an apply.

#include <windows.h>

namespace standin {

// Callback results.
inline constexpr DWORD kMsgSuccess = 0;
inline constexpr DWORD kMsgDone = 0xFFFFFFF0;        // handled: the later callbacks do not see it
inline constexpr DWORD kMsgAbortImage = 0xFFFFFFFF;  // stop the operation

// Messages.
inline constexpr DWORD kMsgProgress = 0x9478;  // wParam percent, lParam milliseconds left
inline constexpr DWORD kMsgError = 0x947F;     // wParam the path (PCWSTR), lParam the error code

// Calls, in the order they were registered, every callback registered for `image`, for the file
// `wim` it was loaded from, or for every handle (null), until one answers kMsgDone or
// kMsgAbortImage. Returns kMsgAbortImage when a callback asked to stop, else kMsgSuccess.
DWORD sendMessage(HANDLE image, HANDLE wim, DWORD message, WPARAM wParam, LPARAM lParam);

}  // namespace standin
