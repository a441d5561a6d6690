#pragma once

// Share pages for the benchmarks: a realistic page (HTML with inline scripts
// in which the link assignment and the escaped entries sit among other
// script text), and hostile pages built to make pattern engines work hard.

#include <string>

namespace kestrane::bench {

// A realistic share page of about `bytes` bytes, ending with the entries.
std::string RealisticPage(std::size_t bytes);

// Hostile pages of about `bytes` bytes.
std::string OpeningsWithoutClosings(std::size_t bytes);
std::string ManyOpenings(std::size_t bytes);
std::string LongBackslashRuns(std::size_t bytes);

}  // namespace kestrane::bench
