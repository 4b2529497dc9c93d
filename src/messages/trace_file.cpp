#include "messages/trace_file.h"

#include <string>

#include "platform/text_file.h"

namespace launcher {

namespace {
constexpr std::string_view kRule = "======================================================\n";
constexpr std::size_t kFlushThreshold = std::size_t{8} * 1024;
}  // namespace

void TraceFile::open(Platform& platform, const std::string& path) {
    close();
    file_ = platform.openForWriting(path);
}

void TraceFile::flush() {
    // The trace is best effort: a write that fails changes nothing else.
    if (file_ && !pending_.empty()) (void)file_->write(pending_.data(), pending_.size());
    pending_.clear();
}

void TraceFile::close() {
    flush();
    file_.reset();
}

void TraceFile::append(std::string_view text) {
    if (!file_) return;
    pending_ += toTextModeBytes(text);
    if (pending_.size() >= kFlushThreshold) flush();
}

void TraceFile::block(std::string_view title) {
    append("\n");
    append(title);
    append("\n");
    append(kRule);
}

void TraceFile::value(std::string_view label, std::string_view text) {
    if (!file_) return;
    std::string out;
    out.append(label).append(": (").append(text).append(")\n");
    append(out);
}

void TraceFile::value(std::string_view label, long number) { value(label, std::string_view(std::to_string(number))); }

void TraceFile::list(std::string_view label, const std::vector<std::string>& elements) {
    for (std::size_t i = 0; i < elements.size(); ++i) {
        std::string indexed(label);
        indexed.append("[").append(std::to_string(i)).append("]");
        value(indexed, elements[i]);
    }
}

void TraceFile::line(std::string_view sentence) { append(sentence); }

void tracePathWithoutShortForm(TraceFile& trace, const std::string& path) {
    trace.line("Path has no short form: " + path + "\n");
}

}  // namespace launcher
