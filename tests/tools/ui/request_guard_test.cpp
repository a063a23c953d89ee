// The guard in front of the page's server: which Host, Origin and token let
// a request through, and with what status the others are refused.
#include <gtest/gtest.h>

#include "listen_address.h"
#include "request_guard.h"

namespace ui {
namespace {

constexpr char kToken[] = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

GuardRules LoopbackRules()
{
    GuardRules rules;
    rules.address.host = "127.0.0.1";
    rules.address.port = 0;
    rules.port = 8765;
    rules.token = kToken;
    rules.cookieName = "tessalink-token-8765";
    return rules;
}

struct GuardCase {
    const char *what;
    RequestFacts request;
    int status;
};

TEST(RequestGuard, LetsThroughOnlyItsOwnHostOriginAndToken)
{
    const std::string bearer = std::string("Bearer ") + kToken;
    const std::string cookie = std::string("theme=dark; tessalink-token-8765=") + kToken;
    const GuardCase cases[] = {
        {"bearer", {"GET", "127.0.0.1:8765", "", bearer, "", ""}, 0},
        {"cookie among others", {"GET", "localhost:8765", "", "", cookie, ""}, 0},
        {"the page opened with ?token=", {"GET", "127.0.0.1:8765", "", "", "", kToken}, 0},
        {"a change from the page itself", {"POST", "127.0.0.1:8765", "http://127.0.0.1:8765", "", cookie, ""}, 0},
        {"a change from a script (no Origin)", {"DELETE", "127.0.0.1:8765", "", bearer, "", ""}, 0},
        {"IPv6 loopback", {"GET", "[::1]:8765", "", bearer, "", ""}, 0},
        {"no token", {"GET", "127.0.0.1:8765", "", "", "", ""}, 401},
        {"another program's cookie only", {"GET", "127.0.0.1:8765", "", "", "tessalink-token-9999=x", ""}, 401},
        {"wrong bearer", {"GET", "127.0.0.1:8765", "", "Bearer 00", "", ""}, 403},
        {"token one digit short", {"GET", "127.0.0.1:8765", "", bearer.substr(0, bearer.size() - 1), "", ""}, 403},
        {"wrong cookie", {"GET", "127.0.0.1:8765", "", "", "tessalink-token-8765=abc", ""}, 403},
        {"a rebound name", {"GET", "evil.example:8765", "", bearer, "", ""}, 403},
        {"a name ending like localhost", {"GET", "localhost.evil.example:8765", "", bearer, "", ""}, 403},
        {"another port", {"GET", "127.0.0.1:8766", "", bearer, "", ""}, 403},
        {"no Host", {"GET", "", "", bearer, "", ""}, 403},
        {"a change from another site", {"POST", "127.0.0.1:8765", "http://evil.example", "", cookie, ""}, 403},
        {"a change from another port", {"PUT", "127.0.0.1:8765", "http://127.0.0.1:9000", bearer, "", ""}, 403},
        {"a change from a file page", {"POST", "127.0.0.1:8765", "null", bearer, "", ""}, 403},
        {"a preflight from another site", {"OPTIONS", "127.0.0.1:8765", "http://evil.example", "", "", ""}, 403},
        {"https origin", {"POST", "127.0.0.1:8765", "https://127.0.0.1:8765", bearer, "", ""}, 403},
    };
    for (const GuardCase &c : cases)
        EXPECT_EQ(GuardRequest(c.request, LoopbackRules()).status, c.status) << c.what;
}

TEST(RequestGuard, EveryRefusalSaysWhy)
{
    const GuardVerdict verdict = GuardRequest({"GET", "evil.example:8765", "", "", "", ""}, LoopbackRules());
    EXPECT_NE(verdict.error.find("evil.example"), std::string::npos) << verdict.error;
}

TEST(ListenAddress, ParsesAndTellsLoopback)
{
    struct Case {
        const char *text;
        bool ok;
        const char *host;
        int port;
        bool loopback;
    };
    const Case cases[] = {
        {"127.0.0.1:8765", true, "127.0.0.1", 8765, true},
        {":0", true, "127.0.0.1", 0, true},
        {"[::1]:9000", true, "::1", 9000, true},
        {"0.0.0.0:80", true, "0.0.0.0", 80, false},
        {"192.168.1.5:8765", true, "192.168.1.5", 8765, false},
        {"localhost:8765", false, "", 0, false},
        {"127.0.0.1", false, "", 0, false},
        {"127.0.0.1:70000", false, "", 0, false},
        {"127.0.0.1:-1", false, "", 0, false},
    };
    for (const Case &c : cases) {
        ListenAddress address;
        const std::string problem = ParseListenAddress(c.text, address);
        EXPECT_EQ(problem.empty(), c.ok) << c.text << ": " << problem;
        if (!c.ok || !problem.empty())
            continue;
        EXPECT_EQ(address.host, c.host) << c.text;
        EXPECT_EQ(address.port, c.port) << c.text;
        EXPECT_EQ(address.IsLoopback(), c.loopback) << c.text;
    }
}

TEST(ListenAddress, AcceptsNumbersOnlyForAllAddresses)
{
    ListenAddress all;
    all.host = "0.0.0.0";
    EXPECT_TRUE(IsAcceptedHost(all, 8765, "192.168.1.5:8765"));
    EXPECT_TRUE(IsAcceptedHost(all, 8765, "localhost:8765"));
    EXPECT_FALSE(IsAcceptedHost(all, 8765, "evil.example:8765"));
    ListenAddress one;
    one.host = "192.168.1.5";
    EXPECT_TRUE(IsAcceptedHost(one, 8765, "192.168.1.5:8765"));
    EXPECT_FALSE(IsAcceptedHost(one, 8765, "localhost:8765"));
    EXPECT_FALSE(IsAcceptedHost(one, 8765, "192.168.1.6:8765"));
}

TEST(RequestGuard, FindsTheCookieByItsWholeName)
{
    EXPECT_EQ(CookieValue("a=1; tessalink-token-8765=abc; b=2", "tessalink-token-8765"), "abc");
    EXPECT_EQ(CookieValue("xtessalink-token-8765=abc", "tessalink-token-8765"), "");
    EXPECT_EQ(CookieValue("tessalink-token-87650=abc", "tessalink-token-8765"), "");
    EXPECT_EQ(CookieValue("", "tessalink-token-8765"), "");
}

}  // namespace
}  // namespace ui
