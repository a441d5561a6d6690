#include <gtest/gtest.h>

#include <thread>

#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"
#include "platform/code_page.h"
#include "support/scoped_creation_failure.h"

namespace kestrane {
namespace {

class Gadget : public ComponentObject {
public:
    Gadget() {
        DeclareGet("Name", {}, [this](std::vector<Variant>&) { return Variant(m_name); });
        DeclarePut("Name", {{ParamKind::kString, false}}, [this](std::vector<Variant>& a) {
            m_name = a[0].String();
            return Variant();
        });
        DeclareGet("ReadOnly", {}, [](std::vector<Variant>&) { return Variant(std::int32_t{7}); });
        DeclareGet("Pi", {}, [](std::vector<Variant>&) { return Variant(3.9); });
        DeclareGet("Self", {}, [this](std::vector<Variant>&) { return Variant(ObjectRef(shared_from_this())); });
        DeclareMethod("Add", {{ParamKind::kInt, false}, {ParamKind::kInt, true}}, [](std::vector<Variant>& a) {
            return Variant(a[0].Int() + (a[1].IsEmpty() ? 0 : a[1].Int()));
        });
        DeclareMethod("Fail", {{ParamKind::kInt, false}}, [](std::vector<Variant>& a) -> Variant {
            throw ComponentError{static_cast<CallOutcome>(a[0].Int()), "asked to fail"};
        });
    }

private:
    std::u16string m_name = u"gadget";
};

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeComponentLibrary();
        RegisterComponent("Test.Gadget", [] { return std::make_shared<Gadget>(); });
        gadget = CreateComponent("Test.Gadget");
        ASSERT_TRUE(gadget);
    }
    ObjectRef gadget;
};

std::string Last() { return AnsiToUtf8(CallOutcomeText(LastCallOutcome())); }

TEST_F(AutomationTest, EveryOutcomeTheLayerReports) {
    using K = CallKind;
    const Variant obj = Variant(ObjectRef(gadget));
    struct Case {
        const char* what;
        std::function<void()> call;
        std::string want;
    } cases[] = {
        {"success", [&] { EXPECT_EQ(CallForInt(gadget, "Add", K::kMethod, {Variant(2), Variant(3)}), 5); }, ""},
        {"names ignore case", [&] { EXPECT_EQ(CallForInt(gadget, "aDD", K::kMethod, {Variant(2)}), 2); }, ""},
        {"no instance", [&] { EXPECT_EQ(CallForInt(ObjectRef(), "Add", K::kMethod, {Variant(1)}), 0); }, "对象为空"},
        {"unknown name", [&] { CallMember(gadget, "Nope", K::kGet); }, "未找到指定属性或方法"},
        {"too many arguments", [&] { CallMember(gadget, "Add", K::kMethod, {Variant(1), Variant(2), Variant(3)}); },
         "提供了过多的参数"},
        {"argument of a kind the call cannot pass", [&] { CallMember(gadget, "Add", K::kMethod, {obj}); },
         "参数数据类型错误"},
        {"result of the wrong kind", [&] { EXPECT_EQ(CallForInt(gadget, "Self", K::kGet), 0); },
         "执行成功，但返回值类型不匹配"},
        {"required argument missing", [&] { CallMember(gadget, "Add", K::kMethod); }, "必需的参数数据被省略"},
        {"text that is no number", [&] { CallMember(gadget, "Add", K::kMethod, {Variant(u"x")}); }, "类型不匹配"},
        {"number too large", [&] { CallMember(gadget, "Add", K::kMethod, {Variant(1e12)}); }, "溢出"},
        {"write to a read-only property", [&] { CallMember(gadget, "ReadOnly", K::kPut, {Variant(1)}); },
         "未找到指定成员"},
        {"component raised an error",
         [&] { CallMember(gadget, "Fail", K::kMethod, {Variant(static_cast<std::int32_t>(CallOutcome::kException))}); },
         "发现异常"},
    };
    for (const Case& c : cases) {
        SetLastCallOutcome(CallOutcome::kOtherFailure);
        c.call();
        EXPECT_EQ(Last(), c.want) << c.what;
    }
}

TEST_F(AutomationTest, ComponentReportedFailuresKeepTheirTexts) {
    const std::pair<CallOutcome, const char*> reported[] = {
        {CallOutcome::kBadParamCount, "参数数目错误"},   {CallOutcome::kBadVarType, "参数类型值无效"},
        {CallOutcome::kNoNamedArgs, "不支持命名参数"},   {CallOutcome::kParamNotFound, "未找到指定参数"},
        {CallOutcome::kOtherFailure, "其他原因调用失败"},
    };
    for (const auto& [outcome, text] : reported) {
        CallMember(gadget, "Fail", CallKind::kMethod, {Variant(static_cast<std::int32_t>(outcome))});
        EXPECT_EQ(Last(), text);
    }
    EXPECT_EQ(AnsiToUtf8(CallOutcomeText(CallOutcome::kNoAutomationInterface)), "指定对象没有调用接口");
    EXPECT_EQ(AnsiToUtf8(CallOutcomeText(CallOutcome::kNoTypeInformation)), "指定对象没有类型信息");
}

TEST_F(AutomationTest, ConversionsOfArgumentsAndResults) {
    CallMember(gadget, "Name", CallKind::kPut, {Variant(42)});  // a number for a string property
    EXPECT_EQ(CallForText(gadget, "Name", CallKind::kGet), Text("42"));
    CallMember(gadget, "Name", CallKind::kPut, {TextArg(Text::FromUtf8("中文"))});
    EXPECT_EQ(CallForText(gadget, "Name", CallKind::kGet), Text::FromUtf8("中文"));
    EXPECT_EQ(CallForInt(gadget, "Pi", CallKind::kGet), 3);  // truncated toward zero
    EXPECT_EQ(CallForObject(gadget, "Self", CallKind::kGet), gadget);
    EXPECT_EQ(CallForInt(gadget, "Add", CallKind::kMethod, {Variant(u" 7 ")}), 7);
}

TEST_F(AutomationTest, CreationCopyAndReleaseRecordNothing) {
    SetLastCallOutcome(CallOutcome::kOverflow);
    ObjectRef copy = gadget;
    EXPECT_EQ(copy.UseCount(), 2);
    copy.Release();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_TRUE(CreateComponent("No.Such.Thing").IsEmpty());
    {
        test::ScopedCreationFailure failing("Test.Gadget");
        EXPECT_TRUE(CreateComponent("Test.Gadget").IsEmpty());
    }
    EXPECT_FALSE(CreateComponent("Test.Gadget").IsEmpty());
    EXPECT_EQ(LastCallOutcome(), CallOutcome::kOverflow);
}

TEST_F(AutomationTest, OutcomesBelongToTheCallingThreadWhichMustInitialise) {
    SetLastCallOutcome(CallOutcome::kSuccess);
    std::thread other([] {
        EXPECT_TRUE(CreateComponent("Test.Gadget").IsEmpty());  // not initialised on this thread
        SetLastCallOutcome(CallOutcome::kException);
    });
    other.join();
    EXPECT_EQ(LastCallOutcome(), CallOutcome::kSuccess);
}

}  // namespace
}  // namespace kestrane
