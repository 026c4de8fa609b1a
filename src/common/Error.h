#pragma once

#include <QString>
#include <stdexcept>

namespace feedwell {

// The one error type of the program: every failure that a user may see is raised as an Error whose
// message says what went wrong in words the user can act on.
class Error : public std::runtime_error {
 public:
  explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// The message of any exception as the user should read it.
inline QString ErrorMessage(const std::exception& e) {
  if (const auto* error = dynamic_cast<const Error*>(&e)) return error->message();
  return QString::fromLocal8Bit(e.what());
}

}  // namespace feedwell
