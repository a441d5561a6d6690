// The exact component calls HttpRequest makes, seen by a recording stand-in
// registered under the request component's ProgID.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/http_request.h"
#include "platform/automation/component_library.h"
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
        for (const char* name : {"Open", "Send", "SetProxy", "WaitForResponse", "SetRequestHeader"}) {
            DeclareMethod(name, {{ParamKind::kAny, true}, {ParamKind::kAny, true}, {ParamKind::kAny, true}},
                          [&log, name](std::vector<Variant>& a) {
                              while (!a.empty() && a.back().IsEmpty()) a.pop_back();
                              log.push_back({name, a});
                              return Variant(true);
                          });
        }
        DeclarePut("Option", {{ParamKind::kInt, false}, {ParamKind::kAny, false}}, [&log](std::vector<Variant>& a) {
            log.push_back({"Option=", a});
            return Variant();
        });
        DeclareGet("Option", {{ParamKind::kInt, false}}, [&log](std::vector<Variant>& a) {
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

}  // namespace
}  // namespace kestrane
