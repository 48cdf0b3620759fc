#include "transfer/ResponseHeader.h"

#include <gtest/gtest.h>

#include <vector>

using transfer::ResponseHeader;

TEST(ResponseHeader, KeepsOnlyTheFinalBlock)
{
    struct Case
    {
        const char* name;
        std::vector<const char*> lines;
        const char* block;
        bool complete;
    };
    const Case cases[] = {
        { "plain", { "HTTP/1.1 200 OK\r\n", "A: 1\r\n", "\r\n" }, "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n", true },
        { "interim blocks",
            { "HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 102 Processing\r\n", "X: y\r\n", "\r\n",
                "HTTP/1.1 500 Internal Server Error\r\n", "\r\n" },
            "HTTP/1.1 500 Internal Server Error\r\n\r\n", true },
        { "trailers", { "HTTP/1.1 200 OK\r\n", "\r\n", "Checksum: 1\r\n", "HTTP/1.1 200 OK\r\n", "\r\n" },
            "HTTP/1.1 200 OK\r\n\r\n", true },
        { "bare line feeds", { "HTTP/1.1 200 OK\n", "A: 1\n", "\n" }, "HTTP/1.1 200 OK\r\nA: 1\r\n\r\n", true },
        { "cut off", { "HTTP/1.1 200 OK\r\n", "A: 1\r\n" }, "HTTP/1.1 200 OK\r\nA: 1\r\n", false },
        { "status line inside a block", { "HTTP/1.1 200 OK\r\n", "HTTP/1.1 404 x\r\n", "\r\n" },
            "HTTP/1.1 200 OK\r\nHTTP/1.1 404 x\r\n\r\n", true },
        { "reason starting with 1", { "HTTP/1.1 200 1 OK\r\n", "\r\n", "HTTP/1.1 201 x\r\n" },
            "HTTP/1.1 200 1 OK\r\n\r\n", true },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ResponseHeader header;
        for (const char* line : test.lines) {
            header.addLine(line);
        }
        EXPECT_EQ(header.block(), test.block);
        EXPECT_EQ(header.isComplete(), test.complete);
    }
}

TEST(ResponseHeader, TakesTheStatusLineWithoutItsEnd)
{
    const std::pair<const char*, const char*> cases[] = {
        { "HTTP/1.1 200 OK\r\nA: 1\r\n", "HTTP/1.1 200 OK" },
        { "HTTP/1.1 200 OK\nA", "HTTP/1.1 200 OK" },
        { "HTTP/1.1 200 OK", "HTTP/1.1 200 OK" },
        { "HTTP/1.1 200 OK\r\r\n", "HTTP/1.1 200 OK\r" },
        { "", "" },
        { "\r\nHTTP/1.1 200 OK\r\n", "" },
    };
    for (const auto& [block, line] : cases) {
        SCOPED_TRACE(block);
        EXPECT_EQ(transfer::statusLineOf(block), line);
    }
}
