#pragma once

#include <QApplication>
#include <memory>
#include <string>

namespace helvanta {

// Qt's application object for window mode. Without a usable display Qt would abort
// (exit code 134) after several lines of its own; instead this writes one line naming
// the problem to standard error and ends the process with exit code 1. Qt's messages
// while it starts are held back until then, and passed on when it started.
std::unique_ptr<QApplication> StartWindowApplication(int& argc, char** argv);

// The line written when no display could be opened, from the environment Qt looks at.
std::string NoDisplayText(const char* platform, const char* x11Display, const char* waylandDisplay);

}  // namespace helvanta
