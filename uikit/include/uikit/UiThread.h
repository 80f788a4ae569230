#pragma once
// Running a piece of work on the user-interface thread and waiting for it.
// A worker thread never builds wx objects itself: it hands a closure to the
// UI thread through the application's event queue and blocks on its result.

#include <wx/app.h>
#include <wx/thread.h>

#include <exception>
#include <future>
#include <type_traits>
#include <utility>

namespace uikit {

template <typename F>
auto runOnUiThread(F&& work) -> std::invoke_result_t<F&>
{
    using R = std::invoke_result_t<F&>;
    if (wxIsMainThread() || wxTheApp == nullptr)
        return work();

    std::promise<R> done;
    auto result = done.get_future();
    wxTheApp->CallAfter([&work, &done] {
        try {
            if constexpr (std::is_void_v<R>) {
                work();
                done.set_value();
            } else {
                done.set_value(work());
            }
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    return result.get();
}

} // namespace uikit
