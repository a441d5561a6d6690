#pragma once

// The outcome of the last component member call made on this thread, shared
// by every component object of the thread.

#include "platform/text.h"

namespace kestrane {

enum class CallOutcome {
    kSuccess,
    kNoInstance,               // the reference was empty
    kNoAutomationInterface,    // the instance cannot be called by name
    kNoTypeInformation,        // the instance describes none of its members
    kUnknownName,              // no property or method of that name
    kTooManyArguments,         // more arguments than the member takes
    kBadArgumentKind,          // an argument of a kind the call cannot pass
    kResultMismatch,           // the call worked, but its result is not of the expected kind
    // Reported by the component itself:
    kBadParamCount,
    kBadVarType,
    kException,                // the component raised an error
    kMemberNotFound,
    kNoNamedArgs,
    kOverflow,
    kParamNotFound,
    kTypeMismatch,
    kParamNotOptional,
    kOtherFailure,
};

CallOutcome LastCallOutcome();
void SetLastCallOutcome(CallOutcome outcome);

// The text that reports `outcome`: empty for success, "对象为空" for no
// instance, "发现异常" for an error the component raised, and so on.
Text CallOutcomeText(CallOutcome outcome);

}  // namespace kestrane
