// Measures whole conversion jobs against the floor of their cost.
//
// For each picture size and depth it writes a job directory of bitmaps
// (Tavik.cmd, a link definition file and `count` bitmaps), then times:
//
//   job      the real program, run as a process in that directory (its page
//            faults from wait4, its peak memory from /proc as it exits);
//   floor    the I/O no job can avoid, in this process: every bitmap file read
//            once, whole, and a file as large as the job's Image.img written;
//   per-bit  (with --reference) the same job in this process with the per-bit
//            conversion, whose output must equal the program's byte for byte.
//
// Everything runs pinned to one processor (--cpu), with warm file caches. Of
// --runs runs the fastest is shown, elapsed time and processor time (user and
// system) each: on a shared machine it is the least disturbed one.

#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/link_definition.h"
#include "bitmap/column_raster.h"
#include "bitmap/fast_raster.h"
#include "model/image_table.h"
#include "output/image_file.h"
#include "platform/platform.h"

extern char** environ;

#ifndef QUENDRIX_BINARY
#define QUENDRIX_BINARY "quendrix"
#endif

namespace {

using quendrix::ImageEntry;

struct Size {
  unsigned width = 0;
  unsigned height = 0;
};

struct Options {
  std::vector<Size> sizes;
  std::vector<unsigned> depths = {1, 4, 8};
  unsigned count = 99;
  unsigned runs = 5;
  int cpu = 0;  // -1: not pinned
  bool reference = false;
  bool keep = false;
  std::string program = QUENDRIX_BINARY;
  std::string dir;
};

void Usage(FILE* out) {
  std::fprintf(out,
               "usage: quendrix_bench [options]\n"
               "  --size WxH      picture size (repeatable; default 2048x2048)\n"
               "  --depths LIST   bits per pixel, e.g. 1,4,8 (default)\n"
               "  --count N       bitmaps per job (default 99)\n"
               "  --runs N        timed runs, the fastest is shown (default 5)\n"
               "  --reference     also time the per-bit conversion and compare bytes\n"
               "  --cpu N         pin to processor N, -1 for no pinning (default 0)\n"
               "  --program PATH  the converter to run (default the one built beside)\n"
               "  --dir DIR       where the job directories go (default a new one in /tmp)\n"
               "  --keep          leave the job directories behind\n");
}

bool ParseSize(std::string_view text, Size& size) {
  unsigned w = 0;
  unsigned h = 0;
  char tail = 0;
  std::string copy(text);
  if (std::sscanf(copy.c_str(), "%ux%u%c", &w, &h, &tail) != 2) return false;
  if (w > 65535 || h == 0 || h > 65535) return false;
  size = {w, h};
  return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int a = 1; a < argc; ++a) {
    std::string_view arg = argv[a];
    auto value = [&]() -> const char* { return a + 1 < argc ? argv[++a] : nullptr; };
    if (arg == "--size") {
      const char* v = value();
      Size size;
      if (!v || !ParseSize(v, size)) return false;
      options.sizes.push_back(size);
    } else if (arg == "--depths") {
      const char* v = value();
      if (!v) return false;
      options.depths.clear();
      for (const char* p = v; *p; ++p) {
        if (*p == ',') continue;
        if (*p != '1' && *p != '4' && *p != '8') return false;
        options.depths.push_back(static_cast<unsigned>(*p - '0'));
      }
      if (options.depths.empty()) return false;
    } else if (arg == "--count") {
      const char* v = value();
      if (!v) return false;
      options.count = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
      if (options.count == 0 || options.count > 99) return false;
    } else if (arg == "--runs") {
      const char* v = value();
      if (!v) return false;
      options.runs = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
      if (options.runs == 0) return false;
    } else if (arg == "--cpu") {
      const char* v = value();
      if (!v) return false;
      options.cpu = static_cast<int>(std::strtol(v, nullptr, 10));
    } else if (arg == "--program") {
      const char* v = value();
      if (!v) return false;
      options.program = v;
    } else if (arg == "--dir") {
      const char* v = value();
      if (!v) return false;
      options.dir = v;
    } else if (arg == "--reference") {
      options.reference = true;
    } else if (arg == "--keep") {
      options.keep = true;
    } else {
      return false;
    }
  }
  if (options.sizes.empty()) options.sizes.push_back({2048, 2048});
  return true;
}

double Now() {
  return std::chrono::duration<double>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// ---------------------------------------------------------------------------
// The job directory.

void PutLe16(std::vector<uint8_t>& bytes, size_t at, unsigned value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + static_cast<size_t>(k)] = static_cast<uint8_t>(value >> (8 * k));
}

struct Random {
  uint64_t state;
  uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
};

// A bottom-up bitmap whose rows are runs of one colour index, 1 to 64 pixels
// long: something like a drawing, neither blank nor noise. A quarter of the
// colour entries are white; 1-bit pictures alternate between white-first and
// black-first tables, so that both the kept and the inverted bits are timed.
std::vector<uint8_t> MakeBitmap(Size size, unsigned depth, unsigned number) {
  const size_t colours = size_t{1} << depth;
  const size_t tableBytes = colours * 4;
  const size_t rowBytes = (size_t{size.width} * depth + 31) / 32 * 4;
  const size_t dataOffset = 14 + 40 + tableBytes;
  const size_t dataSize = rowBytes * size.height;
  std::vector<uint8_t> bytes(dataOffset + dataSize, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  PutLe32(bytes, 10, static_cast<uint32_t>(dataOffset));
  PutLe32(bytes, 14, 40);
  PutLe32(bytes, 18, size.width);
  PutLe32(bytes, 22, size.height);
  PutLe16(bytes, 26, 1);
  PutLe16(bytes, 28, depth);
  PutLe32(bytes, 34, static_cast<uint32_t>(dataSize));
  PutLe32(bytes, 46, static_cast<uint32_t>(colours));

  Random random{0x9E3779B97F4A7C15u * (number + 1) + depth};
  for (size_t i = 0; i < colours; ++i) {
    uint8_t* entry = &bytes[54 + 4 * i];
    bool white = depth == 1 ? (i == number % 2) : random.Next() % 4 == 0;
    for (int c = 0; c < 3; ++c) {
      entry[c] = white ? 255 : static_cast<uint8_t>(depth == 1 ? 0 : random.Next() % 255);
    }
  }

  uint8_t* data = bytes.data() + dataOffset;
  for (size_t y = 0; y < size.height; ++y) {
    uint8_t* row = data + y * rowBytes;
    size_t x = 0;
    while (x < size.width) {
      uint64_t r = random.Next();
      size_t run = std::min<size_t>(1 + (r & 63), size.width - x);
      unsigned index = static_cast<unsigned>((r >> 8) % colours);
      for (size_t end = x + run; x < end; ++x) {
        switch (depth) {
          case 1:
            row[x / 8] = static_cast<uint8_t>(row[x / 8] | index << (7 - x % 8));
            break;
          case 4:
            row[x / 2] = static_cast<uint8_t>(row[x / 2] | index << (x % 2 ? 0 : 4));
            break;
          default:
            row[x] = static_cast<uint8_t>(index);
            break;
        }
      }
    }
  }
  return bytes;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  auto bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t put = ::write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      ::close(fd);
      return false;
    }
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return ::close(fd) == 0;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  struct stat info;
  if (::fstat(fd, &info) == 0) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return bytes;
}

struct Job {
  std::string dir;
  std::vector<std::string> bitmaps;  // full paths
  size_t largestFile = 0;
  uint64_t pixelBytes = 0;   // pixel data of all bitmaps
  uint64_t outputBytes = 0;  // the length Image.img must have
};

bool MakeJob(const std::string& dir, Size size, unsigned depth, unsigned count,
             Job& job) {
  job.dir = dir;
  if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return false;
  std::string list;
  uint64_t pictures = 0;
  for (unsigned n = 0; n < count; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "p%02u.bmp", n);
    std::vector<uint8_t> bitmap = MakeBitmap(size, depth, n);
    const std::string path = dir + "/" + name;
    if (!WriteWholeFile(path, bitmap.data(), bitmap.size())) return false;
    job.bitmaps.push_back(path);
    job.largestFile = std::max(job.largestFile, bitmap.size());
    job.pixelBytes += (size_t{size.width} * depth + 31) / 32 * 4 * size.height;
    pictures += quendrix::kEntryHeaderSize + size_t{size.height} * ((size.width + 7) / 8);
    list += "load ";
    list += name;
    list += '\n';
  }
  job.outputBytes = pictures + quendrix::kFillUnit - pictures % quendrix::kFillUnit;
  const std::string control = "[Convert]\r\nCtrlFile=list.txt\r\nNoHeader=0\r\n";
  return WriteWholeFile(dir + "/list.txt", list.data(), list.size()) &&
         WriteWholeFile(dir + "/Tavik.cmd", control.data(), control.size());
}

void RemoveJob(const Job& job) {
  for (const std::string& path : job.bitmaps) ::unlink(path.c_str());
  for (const char* name : {"list.txt", "Tavik.cmd", "Image.img", "Floor.img",
                           "PerBit.img", "stderr.txt"}) {
    ::unlink((job.dir + "/" + name).c_str());
  }
  ::rmdir(job.dir.c_str());
}

// ---------------------------------------------------------------------------
// The three measurements.

// Processor time (user and system) this process has used so far.
double CpuSeconds() {
  struct rusage usage;
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Timing {
  double seconds = 0;     // elapsed
  double cpuSeconds = 0;  // user and system processor time
};

struct ProgramRun {
  bool ok = false;
  double seconds = 0;
  double cpuSeconds = 0;
  long minorFaults = 0;
  std::string problem;
};

ProgramRun RunProgram(const std::string& program, const Job& job) {
  ProgramRun run;
  const std::string output = job.dir + "/Image.img";
  ::unlink(output.c_str());  // the job would delete it too: not its cost
  const std::string errors = job.dir + "/stderr.txt";
  // Spawned, not forked: the child shares nothing of this process's memory,
  // so that neither pays for copying it.
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ::posix_spawn_file_actions_addchdir_np(&actions, job.dir.c_str());
  char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
  pid_t pid = -1;
  const double start = Now();
  const int spawned = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  ::posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    run.problem = "cannot run " + program;
    return run;
  }
  int status = 0;
  struct rusage usage;
  if (::wait4(pid, &status, 0, &usage) != pid) {
    run.problem = "cannot run " + program;
    return run;
  }
  run.seconds = Now() - start;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.minorFaults = usage.ru_minflt;
  std::vector<uint8_t> said = ReadWholeFile(errors);
  struct stat info;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    run.problem = program + " did not end normally";
  } else if (!said.empty()) {
    run.problem = "the job reported: " + std::string(said.begin(), said.end());
  } else if (::stat(output.c_str(), &info) != 0 ||
             static_cast<uint64_t>(info.st_size) != job.outputBytes) {
    run.problem = "Image.img is missing or has the wrong length";
  } else {
    run.ok = true;
  }
  return run;
}

// The program's peak resident memory, in KiB: its high-water mark read from
// /proc just before it exits, stopped there by ptrace. (The rusage of a
// child also counts what it shared with this process before its exec.)
long PeakMemoryKb(const std::string& program, const Job& job) {
  ::unlink((job.dir + "/Image.img").c_str());
  const std::string errors = job.dir + "/stderr.txt";
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) ::dup2(fd, 2);
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 && ::chdir(job.dir.c_str()) == 0) {
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    }
    ::_exit(127);
  }
  if (pid < 0) return -1;
  long peak = -1;
  int status = 0;
  bool started = false;
  while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
    int signal = WSTOPSIG(status);
    if (!started && signal == SIGTRAP) {  // stopped at its exec
      started = true;
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
      signal = 0;
    } else if (signal == SIGTRAP && (status >> 16) == PTRACE_EVENT_EXIT) {
      // (Files in /proc tell no size: read until the end.)
      std::string text;
      const std::string path = "/proc/" + std::to_string(pid) + "/status";
      int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      char piece[4096];
      ssize_t got;
      while (fd >= 0 && (got = ::read(fd, piece, sizeof piece)) > 0) {
        text.append(piece, static_cast<size_t>(got));
      }
      if (fd >= 0) ::close(fd);
      const size_t at = text.find("VmHWM:");
      if (at != std::string::npos) peak = std::strtol(text.c_str() + at + 6, nullptr, 10);
      signal = 0;
    }
    ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
  }
  return peak;
}

// Reads every bitmap once, whole, and writes a file of the job's output
// length: what any job that converts these files has to do.
Timing RunFloor(const Job& job, std::vector<uint8_t>& buffer) {
  const std::string output = job.dir + "/Floor.img";
  ::unlink(output.c_str());
  const double start = Now();
  const double cpuStart = CpuSeconds();
  for (const std::string& path : job.bitmaps) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
  }
  int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return {};
  for (uint64_t left = job.outputBytes; left > 0;) {
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
    ssize_t put = ::write(fd, buffer.data(), piece);
    if (put <= 0) break;
    left -= static_cast<uint64_t>(put);
  }
  ::close(fd);
  const Timing timing = {Now() - start, CpuSeconds() - cpuStart};
  ::unlink(output.c_str());
  return timing;
}

struct Reference {
  Timing job;                  // the whole job, with the per-bit conversion
  double perBitSeconds = 0;    // of which the conversion (processor time)
  double fastSeconds = 0;      // the program's conversion of the same pixels
};

double ThreadCpuSeconds() {
  timespec now;
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The job in this process, through the program's own reader and header
// writer, with the per-bit conversion in place of the program's. Each
// picture is also converted by the program's conversion, outside the job's
// time, to compare the two conversions alone.
Reference RunPerBitJob(const Job& job) {
  Reference reference;
  quendrix::Platform& platform = quendrix::SystemPlatform();
  char previous[4096];
  if (!::getcwd(previous, sizeof previous) || ::chdir(job.dir.c_str()) != 0) return {};
  auto table = std::make_unique<quendrix::ImageTable>();
  std::vector<uint8_t> source;
  std::vector<uint8_t> block;
  std::vector<uint8_t> fastBlock;
  uint64_t length = 0;
  double aside = 0;  // time spent on the program's conversion, not the job's
  const double start = Now();
  const double cpuStart = CpuSeconds();
  quendrix::ReadLinkDefinition(platform, "list.txt", *table);
  std::unique_ptr<quendrix::OutputFile> file = platform.CreateForWriting("PerBit.img");
  for (const ImageEntry& entry : table->slots) {
    if (entry.dataSize == 0 || !file) break;
    quendrix::WriteEntryHeader(*file, entry);
    source.resize(static_cast<size_t>(entry.dataSize));
    block.resize(quendrix::BlockSize(entry));
    std::unique_ptr<quendrix::InputFile> input = platform.OpenForReading(entry.path);
    for (size_t done = 0; input && done < source.size();) {
      if (!input->Seek(entry.dataOffset + static_cast<int64_t>(done))) break;
      int64_t got = input->Read(source.data() + done,
                                std::min<size_t>(source.size() - done, 32767));
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    const double convertStart = ThreadCpuSeconds();
    quendrix::ConvertPixelsPerBit(entry, source.data(), block.data());
    const double convertEnd = ThreadCpuSeconds();
    reference.perBitSeconds += convertEnd - convertStart;

    fastBlock.resize(block.size());
    const double fastStart = Now();
    const double fastCpuStart = ThreadCpuSeconds();
    quendrix::ConvertPixelsFast(entry, source.data(), fastBlock.data());
    reference.fastSeconds += ThreadCpuSeconds() - fastCpuStart;
    aside += Now() - fastStart;

    file->Write(block.data(), block.size());
    length += quendrix::kEntryHeaderSize + block.size();
  }
  reference.job = {Now() - start - aside, CpuSeconds() - cpuStart - reference.fastSeconds};
  if (file) {
    static const uint8_t zeros[quendrix::kFillUnit] = {};
    file->Write(zeros, quendrix::kFillUnit - length % quendrix::kFillUnit);
    file->Close();
  }
  if (::chdir(previous) != 0) return {};
  return reference;
}

const char* PathName(quendrix::RasterPath path) {
  switch (path) {
    case quendrix::RasterPath::kAvx2:
      return "AVX2";
    case quendrix::RasterPath::kAvx512:
      return "AVX-512";
    default:
      return "portable";
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    Usage(stdout);
    return 0;
  }
  if (!ParseOptions(argc, argv, options)) {
    Usage(stderr);
    return 2;
  }
  if (options.cpu >= 0) {
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(options.cpu, &set);
    if (::sched_setaffinity(0, sizeof set, &set) != 0) {
      std::fprintf(stderr, "cannot pin to processor %d: running unpinned\n", options.cpu);
      options.cpu = -1;
    }
  }
  std::string base = options.dir;
  bool madeBase = false;
  if (base.empty()) {
    char pattern[] = "/tmp/quendrix-bench.XXXXXX";
    if (!::mkdtemp(pattern)) {
      std::fprintf(stderr, "cannot make a directory in /tmp\n");
      return 2;
    }
    base = pattern;
    madeBase = true;
  } else if (::mkdir(base.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "cannot make %s\n", base.c_str());
    return 2;
  }

  std::printf("%u bitmaps per job, %s, best of %u run%s, conversion path %s\n",
              options.count,
              options.cpu >= 0 ? ("pinned to processor " + std::to_string(options.cpu)).c_str()
                               : "not pinned",
              options.runs, options.runs == 1 ? "" : "s",
              PathName(quendrix::FastestRasterPath()));
  std::printf("program %s\n", options.program.c_str());

  // The program's fixed cost: a job whose list names no bitmap.
  {
    Job empty;
    if (!MakeJob(base + "/empty", Size{}, 1, 0, empty)) {
      std::fprintf(stderr, "cannot write the job in %s\n", base.c_str());
      return 2;
    }
    Timing start{1e30, 1e30};
    for (unsigned r = 0; r <= options.runs; ++r) {
      const ProgramRun run = RunProgram(options.program, empty);
      if (!run.ok) {
        std::printf("the empty job failed: %s\n", run.problem.c_str());
        return 1;
      }
      start.seconds = std::min(start.seconds, run.seconds);
      start.cpuSeconds = std::min(start.cpuSeconds, run.cpuSeconds);
    }
    std::printf("an empty job (start-up and exit) takes %.1f ms, %.1f ms of processor time\n\n",
                start.seconds * 1e3, start.cpuSeconds * 1e3);
    RemoveJob(empty);
  }

  std::printf("%-11s %5s %9s %8s %8s %6s %8s %8s %6s %8s %7s %8s %7s\n", "size", "depth",
              "pixel MB", "job ms", "floor ms", "ratio", "job cpu", "flr cpu", "ratio", "MB/s",
              "ns/px", "peak MiB", "faults");

  struct Compared {
    std::string label;
    unsigned depth;
    double jobCpu;
    Reference reference;
    bool same;
  };
  std::vector<Compared> compared;
  int failures = 0;
  for (const Size& size : options.sizes) {
    for (unsigned depth : options.depths) {
      char label[32];
      std::snprintf(label, sizeof label, "%ux%u", size.width, size.height);
      Job job;
      const std::string dir = base + "/" + label + "-" + std::to_string(depth);
      if (!MakeJob(dir, size, depth, options.count, job)) {
        std::fprintf(stderr, "cannot write the job in %s\n", dir.c_str());
        return 2;
      }
      std::vector<uint8_t> buffer(std::max<size_t>(job.largestFile, 1 << 20), 0);

      // One untimed round first, under ptrace for the peak memory, so that
      // both start from warm caches; then job and floor take turns, so that
      // both meet the same disturbances.
      const long peakKb = PeakMemoryKb(options.program, job);
      RunFloor(job, buffer);
      ProgramRun run;
      run.ok = true;
      Timing best{1e30, 1e30};
      Timing floor{1e30, 1e30};
      long faults = 0;
      for (unsigned r = 0; r < options.runs && run.ok; ++r) {
        run = RunProgram(options.program, job);
        best.seconds = std::min(best.seconds, run.seconds);
        best.cpuSeconds = std::min(best.cpuSeconds, run.cpuSeconds);
        faults = std::max(faults, run.minorFaults);
        const Timing timing = RunFloor(job, buffer);
        floor.seconds = std::min(floor.seconds, timing.seconds);
        floor.cpuSeconds = std::min(floor.cpuSeconds, timing.cpuSeconds);
      }
      if (!run.ok) {
        std::printf("%-11s %5u  failed: %s\n", label, depth, run.problem.c_str());
        ++failures;
        if (!options.keep) RemoveJob(job);
        continue;
      }

      const double pixelMb = static_cast<double>(job.pixelBytes) / 1e6;
      const double pixels = static_cast<double>(size.width) * size.height * options.count;
      std::printf("%-11s %5u %9.1f %8.1f %8.1f %6.2f %8.1f %8.1f %6.2f %8.0f %7.3f %8.1f %7ld\n",
                  label, depth, pixelMb, best.seconds * 1e3, floor.seconds * 1e3,
                  best.seconds / floor.seconds, best.cpuSeconds * 1e3,
                  floor.cpuSeconds * 1e3, best.cpuSeconds / floor.cpuSeconds,
                  pixelMb / best.seconds, best.seconds * 1e9 / std::max(pixels, 1.0),
                  static_cast<double>(peakKb) / 1024.0, faults);
      std::fflush(stdout);
      if (options.reference) {
        const Reference reference = RunPerBitJob(job);
        const bool same =
            ReadWholeFile(job.dir + "/PerBit.img") == ReadWholeFile(job.dir + "/Image.img");
        if (!same) ++failures;
        compared.push_back({label, depth, best.cpuSeconds, reference, same});
      }
      if (!options.keep) RemoveJob(job);
    }
  }

  if (!compared.empty()) {
    std::printf("\nAgainst the per-bit conversion (processor time; the per-bit job runs in this\n"
                "process, the conversions alone on the same pixels):\n\n");
    std::printf("%-11s %5s %11s %9s %12s %12s %9s %10s\n", "size", "depth", "per-bit job",
                "speed-up", "per-bit conv", "fast conv", "speed-up", "same bytes");
    for (const Compared& c : compared) {
      std::printf("%-11s %5u %8.1f ms %8.1fx %9.1f ms %9.2f ms %8.0fx %10s\n", c.label.c_str(),
                  c.depth, c.reference.job.cpuSeconds * 1e3,
                  c.reference.job.cpuSeconds / c.jobCpu, c.reference.perBitSeconds * 1e3,
                  c.reference.fastSeconds * 1e3,
                  c.reference.perBitSeconds / std::max(c.reference.fastSeconds, 1e-9),
                  c.same ? "yes" : "NO");
    }
  }
  if (madeBase && !options.keep) ::rmdir(base.c_str());
  return failures == 0 ? 0 : 1;
}
