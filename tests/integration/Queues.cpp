#include "Queues.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace qorprt::test {

namespace fs = std::filesystem;

fs::path OutFile(const std::string& queue) {
    return fs::path(std::getenv("QORPRT_TEST_OUT")) / (queue + ".out");
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WaitForQueue(const std::string& queue, bool output) {
    for (int i = 0; i < 300; ++i) {
        cups_job_t* jobs = nullptr;
        const int active =
            cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
        cupsFreeJobs(active, jobs);
        if (active == 0 && (!output || fs::exists(OutFile(queue)))) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "queue " << queue << " did not finish its jobs";
}

} // namespace qorprt::test
