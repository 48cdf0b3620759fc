// Times the order post against the local test webshop on loopback: a small order and a 2 MiB
// one, each through a fresh session as the program does it (TLS handshake included), and a
// small one on a kept connection. A post of a small order on loopback should take a few
// milliseconds; around 40 ms more means a delayed ACK is waiting on Nagle's algorithm.
// Run from the source folder: build/bench/bench_upload [posts]

#include "../tests/support/LocalServer.h"
#include "BenchOrder.h"

#include "platform/Files.h"
#include "transfer/CHttp.h"
#include "transfer/HttpClient.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using bench::order;

void report(const char* name, size_t bytes, std::vector<double> millis)
{
    std::sort(millis.begin(), millis.end());
    double sum = 0;
    for (double value : millis) {
        sum += value;
    }
    std::printf("%-28s %9zu bytes  median %7.2f ms  mean %7.2f ms  max %7.2f ms  (%zu posts)\n", name, bytes,
        millis[millis.size() / 2], sum / static_cast<double>(millis.size()), millis.back(), millis.size());
}

std::vector<double> timed(int runs, const std::function<bool()>& post)
{
    std::vector<double> millis;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!post()) {
            std::fprintf(stderr, "post failed\n");
            return { 0.0 };
        }
        millis.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return millis;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string script = std::filesystem::absolute("tools/webshop.py").string();
    testing_support::TempDir certs;
    testing_support::LocalServer shop(script, { "--cert-dir", certs.path() });
    if (!shop.isRunning()) {
        std::fprintf(stderr, "the webshop did not start (run from the source folder)\n%s\n", shop.log().c_str());
        return 1;
    }
    const std::string ca = certs.file("ca.pem");
    const auto port = static_cast<std::uint16_t>(shop.port());

    // The program posts the order document from its file, so the bodies lie in files too.
    const auto freshSession = [&](const std::string& bodyPath) {
        return [&, bodyPath] {
            transfer::CHttp session("VARO", ca);
            session.ORDER_UPLOAD("127.0.0.1", "/barcodescanner/index/xml", bodyPath, port, transfer::CHttp::Secure);
            return session.lastResponse().headerBlock.rfind("HTTP/1.1 200 OK\r\n", 0) == 0;
        };
    };
    const std::string small = order(20);
    const std::string large = order(12'000);
    const std::string smallPath = certs.file("small.txt");
    const std::string largePath = certs.file("large.txt");
    if (!platform::replaceFile(smallPath, small) || !platform::replaceFile(largePath, large)) {
        std::fprintf(stderr, "cannot write the order bodies\n");
        return 1;
    }
    report("small order, new session", small.size(), timed(runs, freshSession(smallPath)));
    report("2 MiB order, new session", large.size(), timed(std::max(3, runs / 5), freshSession(largePath)));

    transfer::HttpClient kept("VARO", ca);
    const std::string url = "https://" + shop.hostPort() + "/barcodescanner/index/xml";
    report("small order, kept connection", small.size(), timed(runs, [&] {
        return kept.post(url, { "Content-Type: application/x-www-form-urlencoded", "Accept: */*" }, small).status
            == 200;
    }));
    return 0;
}
