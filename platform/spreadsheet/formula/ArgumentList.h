#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::formula {

// The argument list of one host-function call, taken from a per-thread pool so that a sheet of
// such calls allocates nothing for its lists once warm. A list keeps its arguments when it goes
// back, so that the next call of the same shape assigns into them and reuses their text buffers
// (reading a long text from a cell then copies it without allocating). Calls nest (a host
// function may evaluate formulas while it runs), so each call takes a list of its own; lists
// must be released in the reverse order of taking, as scoped objects are. Inline: it sits on
// the path of every host-function call.
//
// What the pool keeps is bounded (so many lists of so many arguments); a host lets go of long
// texts kept there by calling trim() after a recalculation.
class ArgumentList {
  public:
    // count arguments, of unspecified values: the caller assigns every one.
    explicit ArgumentList(std::size_t count) {
        Pool& taken = pool();
        if (taken.depth < kKept) {
            list_ = &taken.lists[taken.depth];
            // The size is kept beside the list: asking the list for it costs a division, and
            // nearly every call has the shape of the one before.
            std::size_t& size = taken.sizes[taken.depth];
            if (size != count) {
                list_->resize(count);
                size = count;
            }
            pool_ = &taken;
            ++taken.depth;  // only once the list is ready: a throwing resize takes nothing
            if (taken.depth > taken.reached) {
                taken.reached = taken.depth;
            }
        } else {
            own_ = std::make_unique<std::vector<Argument>>(count);
            list_ = own_.get();
        }
    }
    ~ArgumentList() {
        if (pool_ != nullptr) {
            release();
        }
    }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    std::vector<Argument>& arguments() { return *list_; }

    // Lets go of the long texts the lists of this thread's pool keep (those not taken now). A
    // host trims after every recalculation, even of one cell: only the lists taken since the
    // last trim are looked at, the others let go of theirs then.
    static void trim() {
        Pool& taken = pool();
        for (std::size_t i = taken.depth; i < taken.reached; ++i) {
            for (Argument& argument : taken.lists[i]) {
                if (argument.value.isText() &&
                    argument.value.text().capacity() > kLongestTextKept) {
                    argument.value = Variant();
                }
            }
        }
        taken.reached = taken.depth;
    }

  private:
    static constexpr std::size_t kKept = 64;  // lists kept: nesting deeper than this is rare
    static constexpr std::size_t kLargestKept = 32;
    static constexpr std::size_t kLongestTextKept = 256;

    // One list per nesting depth: calls nest strictly, so the list of each depth is free again
    // once the call that took it returns.
    struct Pool {
        std::array<std::vector<Argument>, kKept> lists;
        std::array<std::size_t, kKept> sizes{};  // of each list
        std::size_t depth = 0;
        std::size_t reached = 0;  // the deepest depth taken since the last trim
    };
    static Pool& pool() {
        thread_local Pool lists;
        return lists;
    }

    void release() {
        --pool_->depth;
        // A kept list holds at most kLargestKept places when it is taken, so growing it to half
        // as many arguments or fewer leaves it within that: only a longer call needs the check.
        std::size_t& size = pool_->sizes[pool_->depth];
        if (size > kLargestKept / 2 && list_->capacity() > kLargestKept) {
            std::vector<Argument>().swap(*list_);  // a list this long is not worth keeping
            size = 0;
        }
    }

    std::unique_ptr<std::vector<Argument>> own_;  // for calls nested deeper than the pool goes
    std::vector<Argument>* list_ = nullptr;
    Pool* pool_ = nullptr;  // the pool the list was taken from, if any
};

}  // namespace kavex::formula
