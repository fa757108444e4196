// The status line at the bottom of the frame: what the program adds to the described windows
// reports there (the analysis, a file's cause of failure, a level). One text at a time; the
// next replaces it. User-interface thread only.
#pragma once

#include <string>

class StatusLine {
  public:
    virtual ~StatusLine() = default;
    virtual void ShowStatus(const std::string& text) = 0;
    virtual std::string StatusText() const = 0;
};
