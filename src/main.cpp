#include "app/quendrix_app.h"

int main() {
  quendrix::CQuendrixApp app(quendrix::SystemPlatform());
  app.RunConversion();
  return app.Run();
}
