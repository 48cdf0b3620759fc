#include "platform/Deployment.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using platform::Deployment;

namespace {

// clang-format off
struct Key { const char* name; std::string Deployment::*field; };
const Key kKeys[] = {
    { "webshop be",     &Deployment::webshopBe },
    { "webshop nl",     &Deployment::webshopNl },
    { "lengths check",  &Deployment::lengthsCheck },
    { "lengths update", &Deployment::lengthsUpdate },
    { "icm mailbox",    &Deployment::icmMailbox },
    { "tls ca_file",    &Deployment::tlsCaFile },
};
// clang-format on

void expectSame(const Deployment& actual, const Deployment& expected)
{
    for (const auto& key : kKeys) {
        EXPECT_EQ(actual.*key.field, expected.*key.field) << key.name;
    }
}

} // namespace

TEST(Deployment, ReadsEveryKey)
{
    const Deployment parsed = platform::parseDeployment("[webshop]\n"
                                                        "be = be.test:8443\n"
                                                        "nl = nl.test\n"
                                                        "[lengths]\n"
                                                        "check = check.test:8080\n"
                                                        "update = update.test\n"
                                                        "[icm]\n"
                                                        "mailbox = box@orders.test\n"
                                                        "[tls]\n"
                                                        "ca_file = /etc/transvo/ca.pem\n");
    Deployment expected;
    expected.webshopBe = "be.test:8443";
    expected.webshopNl = "nl.test";
    expected.lengthsCheck = "check.test:8080";
    expected.lengthsUpdate = "update.test";
    expected.icmMailbox = "box@orders.test";
    expected.tlsCaFile = "/etc/transvo/ca.pem";
    expectSame(parsed, expected);
}

TEST(Deployment, KeepsTheDefaultsForWhatIsMissing)
{
    const Deployment defaults = platform::defaultDeployment();
    EXPECT_FALSE(defaults.webshopBe.empty());
    EXPECT_FALSE(defaults.webshopNl.empty());
    EXPECT_FALSE(defaults.icmMailbox.empty());
    expectSame(platform::parseDeployment(""), defaults);

    Deployment expected = defaults;
    expected.webshopNl = "nl.test";
    expectSame(platform::parseDeployment("[webshop]\nnl=nl.test\n"), expected);

    testing_support::TempDir dir;
    expectSame(platform::readDeployment(dir.file("absent.ini")), defaults);
    expectSame(platform::readDeployment(dir.path()), defaults); // a folder is no file
    std::ofstream(dir.file("deployment.ini"), std::ios::binary) << "[icm]\r\nmailbox = file@orders.test\r\n";
    expected = defaults;
    expected.icmMailbox = "file@orders.test";
    expectSame(platform::readDeployment(dir.file("deployment.ini")), expected);
}

TEST(Deployment, ToleratesCommentsBlanksAndNonsense)
{
    struct Case
    {
        const char* label;
        const char* text;
        const char* nl; // the resulting [webshop] nl
    };
    const std::string defaultNl = platform::defaultDeployment().webshopNl;
    const Case cases[] = {
        { "blanks around everything", "  [ webshop ]  \n\t nl \t=\t  nl.test  \t\n", "nl.test" },
        { "CR LF and a byte order mark", "\xEF\xBB\xBF[webshop]\r\nnl = nl.test\r\n", "nl.test" },
        { "no final line feed", "[webshop]\nnl = nl.test", "nl.test" },
        { "semicolon comment line", "[webshop]\n; nl = commented.test\nnl = nl.test\n", "nl.test" },
        { "hash comment line", "[webshop]\n# nl = commented.test\nnl = nl.test\n", "nl.test" },
        { "comment after the value", "[webshop]\nnl = nl.test ; the Dutch shop\n", "nl.test" },
        { "hash after the value", "[webshop]\nnl = nl.test\t# the Dutch shop\n", "nl.test" },
        { "semicolon inside a value", "[webshop]\nnl = nl.test;8443\n", "nl.test;8443" },
        { "later line wins", "[webshop]\nnl = first.test\nnl = nl.test\n", "nl.test" },
        { "unknown keys and sections", "[webshop]\nfr = fr.test\n[other]\nnl = other.test\n[webshop]\nnl = nl.test\n",
            "nl.test" },
        { "key before any section", "nl = early.test\n[webshop]\nnl = nl.test\n", "nl.test" },
        { "line without equals sign", "[webshop]\nnl nl.test\nnl = nl.test\n", "nl.test" },
        { "unclosed section header", "[webshop]\nnl = nl.test\n[lengths\nnl = stray.test\n", "nl.test" },
        { "other case is another key", "[webshop]\nNL = upper.test\nnl = nl.test\n", "nl.test" },
        { "equals sign in the value", "[webshop]\nnl = a=b\n", "a=b" },
        { "empty value keeps the default", "[webshop]\nnl =\n", defaultNl.c_str() },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Deployment parsed = platform::parseDeployment(c.text);
        EXPECT_EQ(parsed.webshopNl, c.nl);
        EXPECT_EQ(parsed.webshopBe, platform::defaultDeployment().webshopBe);
    }
}

TEST(Deployment, SplitsHostAndPort)
{
    struct Case
    {
        const char* value;
        const char* host;
        int port;
    };
    const Case cases[] = {
        { "shop.test", "shop.test", 443 },
        { "shop.test:8443", "shop.test", 8443 },
        { "127.0.0.1:1", "127.0.0.1", 1 },
        { "shop.test:65535", "shop.test", 65535 },
        { "shop.test:65536", "shop.test", 443 },
        { "shop.test:0", "shop.test", 443 },
        { "shop.test:", "shop.test", 443 },
        { "shop.test:80x", "shop.test", 443 },
        { "shop.test:-1", "shop.test", 443 },
        { "[::1]:8443", "::1", 8443 },
        { "[::1]", "::1", 443 },
        { "::1", "::1", 443 },
        { "", "", 443 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto split = platform::splitHostPort(c.value, 443);
        EXPECT_EQ(split.host, c.host);
        EXPECT_EQ(split.port, c.port);
    }
}
