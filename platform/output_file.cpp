#include "platform/output_file.h"

#include "platform/system_text.h"

namespace tamsolo {

std::string CannotCreateFileText(const std::string& path, int code) {
  return SystemText("ファイル \"") + path + SystemText("\". ") + SystemErrorDescription(code) +
         SystemText(" を作成できません");
}

std::string WriteErrorText() {
  return SystemText("ストリームへの書き込みエラー");
}

}  // namespace tamsolo
