#pragma once
// A coroutine that runs once it is awaited (or handed to startTask) and gives its caller a
// value or the exception it ended with. Long sequences that wait on timers read as straight
// code this way instead of a chain of callbacks; the waits themselves belong to whoever
// owns the timers.
#include <coroutine>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace orvane {

template <class T>
class Task;

namespace taskDetail {

struct TaskPromiseBase {
    std::coroutine_handle<> continuation;
    std::exception_ptr error;

    std::suspend_always initial_suspend() noexcept { return {}; }
    // Hands control straight back to the awaiting coroutine, if any.
    struct Final {
        std::coroutine_handle<> next;
        bool await_ready() const noexcept { return false; }
        std::coroutine_handle<> await_suspend(std::coroutine_handle<>) const noexcept {
            return next ? next : std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };
    Final final_suspend() noexcept { return {continuation}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <class T>
struct TaskPromise : TaskPromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    template <class U>
    void return_value(U&& v) {
        value.emplace(std::forward<U>(v));
    }
    T take() {
        if (error) std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <>
struct TaskPromise<void> : TaskPromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() noexcept {}
    void take() {
        if (error) std::rethrow_exception(error);
    }
};

}  // namespace taskDetail

template <class T = void>
class [[nodiscard]] Task {
public:
    using promise_type = taskDetail::TaskPromise<T>;

    explicit Task(std::coroutine_handle<promise_type> handle) noexcept : handle_(handle) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            if (handle_) handle_.destroy();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() {
        if (handle_) handle_.destroy();
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
        handle_.promise().continuation = awaiting;
        return handle_;
    }
    T await_resume() { return handle_.promise().take(); }

private:
    std::coroutine_handle<promise_type> handle_;
};

template <class T>
Task<T> taskDetail::TaskPromise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<TaskPromise<T>>::from_promise(*this));
}
inline Task<void> taskDetail::TaskPromise<void>::get_return_object() noexcept {
    return Task<void>(std::coroutine_handle<TaskPromise<void>>::from_promise(*this));
}

namespace taskDetail {

// Runs on its own and frees itself at the end.
struct Detached {
    struct promise_type {
        Detached get_return_object() noexcept { return {}; }
        std::suspend_never initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() noexcept {}
        // A started task has nobody left to tell.
        void unhandled_exception() noexcept { std::terminate(); }
    };
};

template <class T, class F>
Detached runDetached(Task<T> task, F done) {
    if constexpr (std::is_void_v<T>) {
        co_await std::move(task);
        done();
    } else {
        done(co_await std::move(task));
    }
}

}  // namespace taskDetail

// Runs `task` up to its first wait now, and the rest as its waits end; `done` gets the
// result. The task must not end with an exception.
template <class T, class F>
void startTask(Task<T> task, F done) {
    taskDetail::runDetached(std::move(task), std::move(done));
}

}  // namespace orvane
