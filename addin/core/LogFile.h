#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace kavex::addin::core {

// The log file, kept open between lines. Each line goes to the system in one write as it is
// logged, so a program that dies loses none. Every line goes to the file at the log's path: the
// file is opened again when its path changes (the add-in's folder moved) or the file at the path
// is no longer the one open (removed, renamed or replaced), so a log moved aside keeps what it
// held and the next line starts afresh at the log's name.
class LogFile {
  public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Appends text to the file at path, creating it when missing. False when it cannot be
    // written (the line is lost, nothing else).
    bool append(const std::string& path, std::string_view text);

  private:
    bool stillCurrent(const std::string& path) const;
    void close();

    std::mutex mutex_;
    std::string path_;
    int fd_ = -1;
};

}  // namespace kavex::addin::core
