// The files the benchmarks share and the session loaded with the max document.
#pragma once

#include <string>

#include "document/sprite_document.h"

namespace dabro::bench {

// The files the benchmarks share are written on first use into one temporary folder, which
// remove_bench_files() deletes with everything in it; it also runs at exit.
const std::string& bench_folder();
std::string bench_path(const std::string& name);
void remove_bench_files();

// The max document saved by the program's own saver: at least 100 MB, checked to load and to
// save back to the same bytes before any benchmark uses it.
const std::string& max_document_file();

// A file of one collection of 30 x factor frames of 8 directions, checked the same way.
const std::string& scaling_file(int factor);

// The process-wide session, loaded once with the max document file (the window works on it).
Session& loaded_max_session();

// Ends the run with a message that says which setup step failed.
[[noreturn]] void setup_failed(const std::string& what);

}  // namespace dabro::bench
