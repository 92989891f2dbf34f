#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace kavex::addin::core {

// The log file, kept open between lines. Each line goes to the system in one write as it is
// logged, so a program that dies loses none; the file is opened again when its path changes
// (the add-in's folder moved) or it was removed, so a removed log starts afresh with the next
// line. A log renamed while open goes on under its new name, as logs commonly do.
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
