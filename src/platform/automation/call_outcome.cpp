#include "platform/automation/call_outcome.h"

namespace kestrane {

namespace {
thread_local CallOutcome t_lastOutcome = CallOutcome::kSuccess;
}  // namespace

CallOutcome LastCallOutcome() { return t_lastOutcome; }

void SetLastCallOutcome(CallOutcome outcome) { t_lastOutcome = outcome; }

Text CallOutcomeText(CallOutcome outcome) {
    const char* utf8 = "";
    switch (outcome) {
        case CallOutcome::kSuccess: utf8 = ""; break;
        case CallOutcome::kNoInstance: utf8 = "对象为空"; break;
        case CallOutcome::kNoAutomationInterface: utf8 = "指定对象没有调用接口"; break;
        case CallOutcome::kNoTypeInformation: utf8 = "指定对象没有类型信息"; break;
        case CallOutcome::kUnknownName: utf8 = "未找到指定属性或方法"; break;
        case CallOutcome::kTooManyArguments: utf8 = "提供了过多的参数"; break;
        case CallOutcome::kBadArgumentKind: utf8 = "参数数据类型错误"; break;
        case CallOutcome::kResultMismatch: utf8 = "执行成功，但返回值类型不匹配"; break;
        case CallOutcome::kBadParamCount: utf8 = "参数数目错误"; break;
        case CallOutcome::kBadVarType: utf8 = "参数类型值无效"; break;
        case CallOutcome::kException: utf8 = "发现异常"; break;
        case CallOutcome::kMemberNotFound: utf8 = "未找到指定成员"; break;
        case CallOutcome::kNoNamedArgs: utf8 = "不支持命名参数"; break;
        case CallOutcome::kOverflow: utf8 = "溢出"; break;
        case CallOutcome::kParamNotFound: utf8 = "未找到指定参数"; break;
        case CallOutcome::kTypeMismatch: utf8 = "类型不匹配"; break;
        case CallOutcome::kParamNotOptional: utf8 = "必需的参数数据被省略"; break;
        case CallOutcome::kOtherFailure: utf8 = "其他原因调用失败"; break;
    }
    return Text::FromUtf8(utf8);
}

}  // namespace kestrane
