// The diagnostic trace: a text file of blocks, value lines, list lines and
// fixed status lines. Every write is a no-op while no file is open, so
// callers never test whether tracing is on.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace launcher {

/// The trace file of a run: open from just after the command line is read
/// until just before the agent starts.
class TraceFile {
public:
    /// Opens path for writing (created or emptied). A file that cannot be
    /// opened leaves the trace closed, and the run goes on untraced.
    void open(Platform& platform, const std::string& path);
    /// Writes out what is buffered; the file stays open.
    void flush();
    /// Flushes and closes; nothing is written afterwards.
    void close();
    /// Returns true while a file is open.
    [[nodiscard]] bool isOpen() const { return file_ != nullptr; }

    /// Writes an empty line, the title and the rule of 54 equals signs.
    void block(std::string_view title);
    /// Writes "label: (value)".
    void value(std::string_view label, std::string_view text);
    /// Writes "label: (number)" in decimal.
    void value(std::string_view label, long number);
    /// Writes "label[i]: (element)" for every element, numbered from 0.
    void list(std::string_view label, const std::vector<std::string>& elements);
    /// Writes a fixed sentence; it carries its own line break.
    void line(std::string_view sentence);

    ~TraceFile() { close(); }

private:
    void append(std::string_view text);

    std::unique_ptr<OutputFile> file_;
    std::string pending_;
};

/// Writes the line that names a path which the system code page cannot
/// spell and which has no short name, as the code page spells it.
void tracePathWithoutShortForm(TraceFile& trace, const std::string& path);

}  // namespace launcher
