#pragma once

#include <coroutine>
#include <cstdint>
#include <exception>
#include <optional>
#include <utility>

namespace voroquarn {

// A drawing that hands control back at every step, as a coroutine: it is written as
// plain loops that say `co_yield STEP` where the window system takes its turn, and its
// driver resumes it for one step at a time. The driver decides what happens between two
// steps (handling events, putting pixels on screen, waiting), and may stop for good by
// destroying it: a suspended drawing holds no resources but its frame.
//
// One drawing can await another (`co_await traceBisector(...)`); their steps are the
// steps of the whole, and the driver resumes the innermost one directly, so a step
// costs the same however deep it is, and the stack stays as deep as the nesting.
//
// An exception in a step (memory that runs out, say) ends the drawing in which it was
// thrown and goes on to the one that awaits it, as from a function call, and from the
// outermost out of next() to the driver.
class [[nodiscard]] Steps {
public:
    // What a drawing yields: nothing, only the fact that a step begins. A Step is a step
    // of the drawing proper, which a driver may pace to make it watchable; Work is a
    // slice of the preparations (placing many sites, finding their diagram), which it
    // lets through as fast as it can while the window handles its events.
    struct Step {};
    struct Work {};
    // What a drawing says, once its preparations are done, so that a driver can pace it
    // by its duration: how many Steps it takes from here on, as long as the window keeps
    // its size. Saying it hands nothing back to the driver.
    struct StepsAhead {
        std::int64_t count;
    };

    struct promise_type;

private:
    using Handle = std::coroutine_handle<promise_type>;

    // A drawing that starts or ends another hands control back to next(), which resumes
    // the one to go on with: a chain of transfers from one coroutine to the next would
    // nest a call each, wherever the compiler cannot make them tail calls (as under the
    // sanitizers), and thousands of short drawings in a row would overflow the stack.
    struct FinalStep {
        bool await_ready() noexcept { return false; }
        void await_suspend(Handle ending) noexcept
        {
            promise_type& promise = ending.promise();
            if (promise.awaiting != nullptr) {
                promise.outermost->innermost = promise.awaiting;
            }
        }
        void await_resume() noexcept {}
    };

    struct Nested {
        Handle nested;
        bool await_ready() noexcept { return !nested || nested.done(); }
        void await_suspend(Handle awaiting) noexcept
        {
            promise_type& promise = nested.promise();
            promise.awaiting = &awaiting.promise();
            promise.outermost = awaiting.promise().outermost;
            promise.outermost->innermost = &promise;
        }
        void await_resume()
        {
            if (nested.promise().exception) {
                std::rethrow_exception(nested.promise().exception);
            }
        }
    };

public:
    struct promise_type {
        Steps get_return_object() { return Steps(Handle::from_promise(*this)); }

        // A drawing does nothing until it is first resumed.
        std::suspend_always initial_suspend() noexcept { return {}; }
        FinalStep final_suspend() noexcept { return {}; }
        std::suspend_always yield_value(Step /*step*/) noexcept
        {
            outermost->paced = true;
            outermost->yielded = true;
            return {};
        }
        std::suspend_always yield_value(Work /*work*/) noexcept
        {
            outermost->paced = false;
            outermost->yielded = true;
            return {};
        }
        std::suspend_never yield_value(StepsAhead said) noexcept
        {
            outermost->ahead = said.count;
            return {};
        }
        void return_void() noexcept {}
        void unhandled_exception() noexcept { exception = std::current_exception(); }

        promise_type* outermost = this;  // the drawing the driver holds
        promise_type* innermost = this;  // on the outermost one: where the next step runs
        promise_type* awaiting = nullptr;  // the drawing that awaits this one, if any
        bool paced = true;                 // on the outermost one: what the last yield was
        bool yielded = false;              // on the outermost one: a step began since next() began
        std::optional<std::int64_t> ahead;  // on the outermost one: Steps said, not yet taken
        std::exception_ptr exception;      // what ended the drawing, if anything did
    };

    Steps(Steps&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Steps& operator=(Steps&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Steps(const Steps&) = delete;
    Steps& operator=(const Steps&) = delete;
    ~Steps()
    {
        if (handle_) {
            handle_.destroy();
        }
    }

    // Runs up to the beginning of the next step; false once the drawing is over. Throws
    // what a step threw; the drawing is over then.
    bool next()
    {
        if (!handle_ || handle_.done()) {
            return false;
        }
        promise_type& outermost = handle_.promise();
        outermost.yielded = false;
        do {
            Handle::from_promise(*outermost.innermost).resume();
        } while (!outermost.yielded && !handle_.done());
        if (handle_.done() && handle_.promise().exception) {
            std::rethrow_exception(std::exchange(handle_.promise().exception, nullptr));
        }
        return !handle_.done();
    }

    // Whether the step that next() ran up to is a Step (else a Work slice).
    bool paced() const { return handle_ && handle_.promise().paced; }

    // The Steps the drawing said it takes from the step that next() ran up to on, once:
    // nothing when it has said nothing since the last call.
    std::optional<std::int64_t> takeStepsAhead()
    {
        return handle_ ? std::exchange(handle_.promise().ahead, std::nullopt) : std::nullopt;
    }

    // Awaiting another drawing runs its steps as this one's, then goes on.
    auto operator co_await() && noexcept { return Nested{handle_}; }

private:
    explicit Steps(Handle handle) : handle_(handle) {}

    Handle handle_;
};

}  // namespace voroquarn
