#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace kavex::addin::core {

// A trapped failure as the runtime's Err object gives it: a platform error's number and
// description, or -1 and the message of any other failure.
struct TrappedError {
    long number = 0;
    std::string description;
};

TrappedError Trapped(const std::exception& error);

// "(number) description" of a trapped failure, as the add-in's log lines show it.
std::string ErrorText(const std::exception& error);

// Runs one step of a procedure that goes on when a step fails: the failure is logged at level 1
// under the procedure's name ("Error while " what " Error description : (number) description")
// and the caller carries on with its next step. A dialog nobody answered is not the add-in's
// failure and is passed on.
void RunStep(std::string_view procedure, std::string_view what,
             const std::function<void()>& action);

// The trap of procedures that skip a failing step silently: each step runs, a step's failure is
// swallowed (nothing logged, nothing shown) and remembered, and the procedure goes on with its
// next step. A value the failed step was to produce stays as it was. The last failure stays
// pending for procedures that log it at their end. A dialog nobody answered is passed on.
class StepTrap {
  public:
    // Runs one step; true when it completed. The step is called where it is, never copied: a
    // procedure runs many small steps, and none of them costs an allocation.
    template <class Step>
    bool operator()(Step&& step) {
        auto call = [&step] { step(); };
        return run(&invoke<decltype(call)>, &call);
    }
    bool pending() const { return pending_; }
    const TrappedError& last() const { return last_; }
    void clear() {
        pending_ = false;
        last_ = {};
    }

  private:
    template <class Call>
    static void invoke(void* call) {
        (*static_cast<Call*>(call))();
    }
    bool run(void (*invoker)(void*), void* call);

    bool pending_ = false;
    TrappedError last_;
};

}  // namespace kavex::addin::core
