#include "install/apply_progress.hpp"

#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

// The file path the library passes with retry, warning and error messages.
std::wstring pathOf(std::uintptr_t wParam) {
    const auto* path = reinterpret_cast<const wchar_t*>(wParam);
    return path ? std::wstring(path) : std::wstring();
}

void showProgress(Program& program, std::uintptr_t percent, std::intptr_t millisecondsLeft) {
    Toolkit& ui = program.ui;
    const int value = static_cast<int>(percent);
    ui.setProgress(controls::StatusBar, value);
    if (program.state.TaskbarProgress) ui.setTaskbarProgress(percent, 100);
    // Two tabs right-align a status bar field's text.
    showStatus(program, L"\t\t" + std::to_wstring(value) + L"%", kStatusPercentField);
    showStatus(program, remainingTimeText(millisecondsLeft), kStatusTimeField);
}

void showFileMessage(Program& program, const std::wstring& prefix, std::uintptr_t wParam, std::intptr_t lParam) {
    const auto code = static_cast<std::int32_t>(lParam);
    showStatus(program, prefix + pathOf(wParam) + L" Err = " + std::to_wstring(code));
    program.state.ExitCode = code;
}

}  // namespace

std::wstring remainingTimeText(std::int64_t milliseconds) {
    std::wstring text = L"남은 시간: ";
    if (milliseconds > 0) {
        const std::int64_t seconds = milliseconds / 1000;
        text += std::to_wstring(seconds / 60) + L"분 " + std::to_wstring(seconds % 60) + L"초";
    }
    return text;
}

std::uint32_t onImagingMessage(Program& program, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const bool cancelled = program.state.CancelRequested.load();
    switch (message) {
        case kWimMsgProgress:
            showProgress(program, wParam, lParam);
            break;
        case kWimMsgRetry:
            showFileMessage(program, cancelled ? L"사용자 취소: " : L"다시 시도: ", wParam, lParam);
            break;
        case kWimMsgWarning:
            showFileMessage(program, L"경고: ", wParam, lParam);
            break;
        case kWimMsgError:
            showFileMessage(program, cancelled ? L"사용자 취소: " : L"에러 발생: ", wParam, lParam);
            program.state.ApplyErrorPath.set(pathOf(wParam));
            break;
        default:
            break;
    }
    return program.state.CancelRequested.load() ? kWimMsgAbortImage : kWimMsgSuccess;
}

}  // namespace halvora
