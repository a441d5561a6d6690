// The exact component calls HttpRequest makes, seen by a recording stand-in
// registered under the request component's ProgID.

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "http/http_request.h"
#include "platform/automation/component_library.h"
#include "platform/automation/call_outcome.h"
#include "platform/automation/http_request_component.h"

namespace kestrane {
namespace {

struct Call {
    std::string name;
    std::vector<Variant> args;
    friend bool operator==(const Call&, const Call&) = default;
};

class RecordingRequest : public ComponentObject {
public:
    explicit RecordingRequest(std::vector<Call>& log) {
        using namespace http_member;
        for (const std::string_view name : {kOpen, kSend, kSetProxy, kWaitForResponse, kSetRequestHeader}) {
            DeclareMethod(std::string(name), {{ParamKind::kAny, true}, {ParamKind::kAny, true}, {ParamKind::kAny, true}},
                          [&log, name](std::vector<Variant>& a) {
                              while (!a.empty() && a.back().IsEmpty()) a.pop_back();
                              log.push_back({std::string(name), a});
                              return Variant(true);
                          });
        }
        DeclarePut(std::string(kOption), {{ParamKind::kInt, false}, {ParamKind::kAny, false}}, [&log](std::vector<Variant>& a) {
            log.push_back({"Option=", a});
            return Variant();
        });
        DeclareGet(std::string(kOption), {{ParamKind::kInt, false}}, [&log](std::vector<Variant>& a) {
            log.push_back({"Option", a});
            return Variant(std::int32_t{5});
        });
    }
};

class HttpRequestCallsTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitializeComponentLibrary();
        RegisterComponent(kHttpRequestProgId, [this] { return std::make_shared<RecordingRequest>(log); });
    }
    void TearDown() override { RegisterComponent(kHttpRequestProgId, &MakeHttpRequestComponent); }
    std::vector<Call> log;
};

TEST_F(HttpRequestCallsTest, ArgumentsAndDefaultsAsTheComponentSeesThem) {
    HttpRequest r;
    Text url("h.example/p");
    r.Open(std::nullopt, url);
    r.Send();  // cookie keeping off: exactly one call
    r.SendBytes(Bytes("abc", 3));
    EXPECT_TRUE(r.WaitForResponse());
    r.SetProxy(std::nullopt, Text("proxy:8080"));
    EXPECT_EQ(r.Option(9, 1, Text("not written")), Variant(std::int32_t{5}));
    (void)r.Option(9);

    const std::vector<Call> want = {
        {"Open", {Variant(u"GET"), Variant(u"http://h.example/p"), Variant(false)}},
        {"Send", {}},
        {"Send", {Variant(ByteArray{{'a', 'b', 'c'}, 1, false})}},
        {"WaitForResponse", {Variant(std::int32_t{0})}},
        {"SetProxy", {Variant(std::int32_t{2}), Variant(u"proxy:8080"), Variant(u"")}},
        {"Option=", {Variant(std::int32_t{9}), Variant(std::int32_t{1})}},
        {"Option", {Variant(std::int32_t{9})}},
        {"Option", {Variant(std::int32_t{9})}},
    };
    EXPECT_EQ(log, want);
}

// Every member the request object calls is one the component declares, in
// the shape it declares it: a name misspelt on either side fails here.
TEST(HttpRequestMembersTest, EveryCallFindsItsMember) {
    HttpRequest r;
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"Status", [&] { r.Status(); }},
        {"StatusText", [&] { r.StatusText(); }},
        {"ResponseText", [&] { r.ResponseText(); }},
        {"ResponseBody", [&] { r.ResponseBody(); }},
        {"ResponseStream", [&] { r.ResponseStream(); }},
        {"Option", [&] { r.Option(kOptionEnableRedirects, 0); }},
        {"SetProxy", [&] { r.SetProxy(kProxyDirect, Text()); }},
        {"SetCredentials", [&] { r.SetCredentials(Text("u"), Text("p")); }},
        {"Open", [&] { r.Open(std::nullopt, Text("http://127.0.0.1:9/")); }},
        {"SetRequestHeader", [&] { r.SetRequestHeader(Text("X"), Text("y")); }},
        {"GetResponseHeader", [&] { r.GetResponseHeader(Text("X")); }},
        {"GetAllResponseHeaders", [&] { r.GetAllResponseHeaders(); }},
        {"WaitForResponse", [&] { r.WaitForResponse(); }},
        {"Abort", [&] { r.Abort(); }},
        {"SetTimeouts", [&] { r.SetTimeouts(1, 1, 1, 1); }},
        {"SetClientCertificate", [&] { r.SetClientCertificate(Text()); }},
        {"SetAutoLogonPolicy", [&] { r.SetAutoLogonPolicy(kAutoLogonNever); }},
        {"GetResponseCookie", [&] { r.GetResponseCookie(Text("x")); }},
        {"GetSetCookieLines", [&] { r.GetSetCookieLines(); }},
    };
    const std::set<CallOutcome> notFound = {CallOutcome::kUnknownName, CallOutcome::kMemberNotFound,
                                            CallOutcome::kTooManyArguments, CallOutcome::kParamNotOptional};
    for (const auto& [what, call] : calls) {
        call();
        EXPECT_FALSE(notFound.contains(LastCallOutcome())) << what;
    }
}

}  // namespace
}  // namespace kestrane
