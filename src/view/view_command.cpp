#include "view/view_command.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace quendrix::view {
namespace {

constexpr const char* kProgram = "quendrix-view";

// A whole decimal number, digits only.
bool ParseNumber(std::string_view text, uint32_t& value) {
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

// An option's value: the rest of "--name=value", or the next argument.
std::optional<std::string> OptionValue(std::span<const std::string> args,
                                       size_t& i, std::string_view attached) {
  if (!attached.empty()) return std::string(attached);
  if (i + 1 >= args.size()) return std::nullopt;
  return args[++i];
}

struct FileBytes {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
  std::span<const uint8_t> Span() const { return {data.get(), size}; }
};

// Reads a whole regular file. Returns an empty string, or why it failed.
std::string ReadWholeFile(const std::string& path, FileBytes& bytes) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return std::strerror(errno);
  std::string error;
  struct stat info;
  if (::fstat(::fileno(in), &info) != 0) {
    error = std::strerror(errno);
  } else if (S_ISDIR(info.st_mode)) {
    error = std::strerror(EISDIR);
  } else if (!S_ISREG(info.st_mode)) {
    error = "not a regular file";
  } else {
    bytes.size = static_cast<size_t>(info.st_size);
    // One byte more, so that an empty file has a buffer too.
    bytes.data.reset(new (std::nothrow) uint8_t[bytes.size + 1]);
    if (!bytes.data) {
      error = "not enough memory to read " + std::to_string(bytes.size) + " bytes";
    } else {
      bytes.size = std::fread(bytes.data.get(), 1, bytes.size, in);
      if (std::ferror(in)) error = std::strerror(errno);
    }
  }
  std::fclose(in);
  return error;
}

std::string Row(const char* number, const std::string& offset,
                const std::string& width, const std::string& height,
                const char* lod2, const std::string& block) {
  char line[128];
  std::snprintf(line, sizeof line, "%5s %10s %6s %6s %4s %10s\n", number,
                offset.c_str(), width.c_str(), height.c_str(), lod2,
                block.c_str());
  return line;
}

// Draws and writes the contact sheet; false after saying why it failed.
bool WriteSheet(const ViewOptions& options, const FileBytes& bytes,
                const ImageFileLayout& layout, std::ostream& out,
                std::ostream& err) {
  const SheetPlan plan = PlanSheet(layout.pictures, options.scale);
  Sheet sheet;
  std::string error = DrawSheet(bytes.Span(), layout.pictures, plan, sheet);
  if (error.empty()) error = WritePng(sheet, options.sheetPath);
  if (!error.empty()) {
    err << kProgram << ": " << error << "\n";
    return false;
  }
  out << "Contact sheet: " << options.sheetPath << " (" << sheet.width << " x "
      << sheet.height << " pixels, " << layout.pictures.size()
      << (layout.pictures.size() == 1 ? " picture" : " pictures");
  if (options.scale != kEachPictureScale) out << " at scale " << options.scale;
  out << ")\n";
  return true;
}

}  // namespace

bool ParsePictureSize(const std::string& text, PictureSize& size) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  const std::string_view all(text);
  return ParseNumber(all.substr(0, x), size.width) &&
         ParseNumber(all.substr(x + 1), size.height) &&
         size.width <= kMaxPictureSide && size.height <= kMaxPictureSide;
}

std::string ParseViewArguments(std::span<const std::string> args,
                               ViewOptions& options) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (!options.imagePath.empty()) {
        return "more than one image file given: '" + options.imagePath +
               "' and '" + arg + "'";
      }
      if (arg.empty()) return "the image file name is empty";
      options.imagePath = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return {};
    }
    // Split "--name=value" and "-oVALUE".
    std::string name = arg;
    std::string attached;
    if (arg.starts_with("--")) {
      const size_t equals = arg.find('=');
      if (equals != std::string::npos) {
        name = arg.substr(0, equals);
        attached = arg.substr(equals + 1);
        if (attached.empty()) return "option '" + name + "' needs a value";
      }
    } else if (arg.size() > 2) {
      name = arg.substr(0, 2);
      attached = arg.substr(2);
    }
    if (name != "-o" && name != "--output" && name != "--scale" &&
        name != "--size") {
      return "unknown option '" + arg + "'";
    }
    std::optional<std::string> value = OptionValue(args, i, attached);
    if (!value) return "option '" + name + "' needs a value";
    if (name == "-o" || name == "--output") {
      if (value->empty()) return "the contact sheet file name is empty";
      options.sheetPath = *value;
    } else if (name == "--scale") {
      if (!ParseNumber(*value, options.scale) || options.scale < 1 ||
          options.scale > kMaxScale) {
        return "--scale needs a whole number from 1 to " +
               std::to_string(kMaxScale) + ", not '" + *value + "'";
      }
    } else {
      PictureSize size;
      if (!ParsePictureSize(*value, size)) {
        return "--size needs WIDTHxHEIGHT, each from 0 to " +
               std::to_string(kMaxPictureSide) + " (such as 48x32), not '" +
               *value + "'";
      }
      options.sizes.push_back(size);
    }
  }
  if (options.imagePath.empty()) return "no image file given";
  return {};
}

std::string FormatTable(const std::string& name, const ImageFileLayout& layout) {
  std::string text = name + ": " + std::to_string(layout.fileLength) +
                     " bytes, " + std::to_string(layout.pictures.size()) +
                     (layout.pictures.size() == 1 ? " picture" : " pictures") +
                     (layout.headers ? " with headers" : " without headers") +
                     "\n";
  text += Row("#", "offset", "width", "height", "lod2", "block");
  for (const PictureRecord& picture : layout.pictures) {
    text += Row(std::to_string(picture.number).c_str(),
                std::to_string(picture.offset), std::to_string(picture.width),
                std::to_string(picture.height),
                picture.hasHeader ? (picture.lod2 != 0 ? "1" : "0") : "-",
                std::to_string(picture.blockLength));
  }
  if (layout.fillOffset) {
    text += "Fill: " + std::to_string(layout.fillLength) +
            " zero bytes at offset " + std::to_string(*layout.fillOffset) + "\n";
  }
  return text;
}

std::string UsageText() {
  return std::string("Usage: ") + kProgram +
         " [OPTION]... IMAGE_FILE\n"
         "Shows what an Image.img written by quendrix holds: prints a table of "
         "its\npictures and, with -o, draws them all on a PNG contact sheet.\n"
         "\n"
         "  -o, --output=FILE  write the contact sheet to FILE (PNG): every "
         "picture in\n"
         "                     file order, black for 1 bits, white for 0 "
         "bits, framed\n"
         "      --scale=N      draw every pixel as N x N sheet pixels, 1 to "
         "64 (default:\n"
         "                     each picture enlarged by the largest factor up "
         "to 8 that\n"
         "                     keeps it within 256 sheet pixels)\n"
         "      --size=WxH     the width and height of the next picture of a "
         "file\n"
         "                     written without headers (NoHeader set); give "
         "it once for\n"
         "                     each picture, in file order\n"
         "  -h, --help         show this help and exit\n"
         "\n"
         "Exit status: 0 when the file parses and the contact sheet was "
         "written,\n1 when the file does not parse or cannot be read or "
         "written, 2 for a bad\ncommand line.\n";
}

int RunViewer(std::span<const std::string> args, std::ostream& out,
              std::ostream& err) {
  ViewOptions options;
  if (std::string error = ParseViewArguments(args, options); !error.empty()) {
    err << kProgram << ": " << error << "\n"
        << "Try '" << kProgram << " --help' for more information.\n";
    return kExitUsage;
  }
  if (options.help) {
    out << UsageText();
    return kExitSuccess;
  }
  FileBytes bytes;
  if (std::string error = ReadWholeFile(options.imagePath, bytes);
      !error.empty()) {
    err << kProgram << ": " << options.imagePath << ": " << error << "\n";
    return kExitFailure;
  }
  const ImageFileLayout layout =
      options.sizes.empty() ? ReadWithHeaders(bytes.Span())
                            : ReadWithoutHeaders(bytes.Span(), options.sizes);
  out << FormatTable(options.imagePath, layout);

  const bool noHeaderSeen = layout.headers && layout.pictures.empty();
  if (layout.problem) {
    err << kProgram << ": " << options.imagePath << ": at offset "
        << layout.problem->offset << ": " << layout.problem->text << "\n";
    if (noHeaderSeen) {
      err << kProgram << ": no picture header found. A file written without "
             "headers (NoHeader set)\nneeds the size of each picture: "
             "--size WxH, once for each picture in file order.\n";
    }
  } else if (noHeaderSeen && layout.fileLength > 0) {
    out << "The file holds only its fill. A file written without headers "
           "needs the size\nof each picture: --size WxH, once for each "
           "picture in file order.\n";
  }

  bool written = true;
  if (!options.sheetPath.empty()) {
    written = WriteSheet(options, bytes, layout, out, err);
  }
  return layout.problem || !written ? kExitFailure : kExitSuccess;
}

}  // namespace quendrix::view
