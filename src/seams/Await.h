#pragma once

#include <QEventLoop>

#include <functional>
#include <optional>
#include <utility>

namespace kestrio {

// Waits for work that answers through a callback: `start` is handed the callback and the
// event loop runs until it has been called. For callers with nothing else to do meanwhile
// (the command line, tests); a window hands its own callback instead.
template <typename Result>
Result Await(const std::function<void(std::function<void(Result)>)>& start)
{
    std::optional<Result> result;
    QEventLoop loop;
    start([&](Result answer) {
        result = std::move(answer);
        loop.quit();
    });
    if (!result) loop.exec();
    return std::move(*result);
}

} // namespace kestrio
