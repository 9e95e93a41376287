#include "app/quendrix_app.h"

#include "app/link_definition.h"
#include "model/messages.h"
#include "output/image_file.h"

namespace quendrix {

CQuendrixApp::CQuendrixApp(Platform& platform)
    : platform_(platform), table_(std::make_unique<ImageTable>()) {}

bool CQuendrixApp::RunConversion() {
  // The separator is appended whatever the directory ends with.
  const std::string base = platform_.CurrentDirectory() + platform_.PathSeparator();
  const std::string controlPath = base + "Tavik.cmd";
  const std::string outputPath = base + "Image.img";

  // An old output goes first, so that no run that stops early leaves one.
  if (platform_.PathExists(outputPath)) platform_.RemoveFile(outputPath);

  if (!platform_.PathExists(controlPath)) {
    platform_.ShowMessage(MessageIcon::kError, kNoControlFile, {});
    return true;
  }
  const std::string linkDefinition =
      platform_.ReadProfileText(controlPath, "Convert", "CtrlFile", "", 101);
  const int32_t noHeader =
      platform_.ReadProfileInt(controlPath, "Convert", "NoHeader", 0);

  if (!platform_.PathExists(linkDefinition)) {
    platform_.ShowMessage(MessageIcon::kError, kNoLinkDefinition, {});
    return true;
  }
  if (ReadLinkDefinition(platform_, linkDefinition, *table_) != 0) return true;
  WriteImageFile(platform_, *table_, outputPath, noHeader);
  return true;
}

int CQuendrixApp::Run() { return 0; }

}  // namespace quendrix
