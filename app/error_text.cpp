#include "app/error_text.h"

#include "platform/system_text.h"

namespace tamsolo {

// Bytes compare as characters here: a Shift-JIS trail byte is never below 0x40, so a
// double-byte last character always sorts above ".".
std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) <= '.')
    return message;
  return message + ".";
}

std::string FolderErrorText(int code) {
  switch (code) {
    case 2:
      return ErrorBoxText(SystemText("ファイルが見つかりません"));
    case 3:
      return ErrorBoxText(SystemText("ファイル名の指定が間違っています"));
    case 4:
      return ErrorBoxText(SystemText("オープンしたファイルが多すぎます"));
    case 5:
      return ErrorBoxText(SystemText("ファイルへのアクセスが拒否されました"));
    default:
      return ErrorBoxText(SystemText("I/O エラー (") + std::to_string(code) + ")");
  }
}

}  // namespace tamsolo
