#include "web_generator.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

namespace fs = std::filesystem;

namespace tarnwick {
namespace {

// SplitMix64: tiny, fast and the same on every platform, unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n); n > 0.
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
  std::int64_t Between(std::int64_t lo, std::int64_t hi) {  // inclusive
    return lo + static_cast<std::int64_t>(Below(static_cast<std::uint64_t>(hi - lo + 1)));
  }

 private:
  std::uint64_t state_;
};

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
  Random r(a ^ (b * 0xD6E8FEB86659FD93ull));
  return r.Next();
}

constexpr std::int64_t kBaseTime = 1072915200;  // 2004-01-01 00:00:00 UTC
constexpr std::int64_t kTimeSpan = 2 * 365 * 86400;
constexpr std::int64_t kEditBaseTime = 1167609600;  // 2007-01-01 00:00:00 UTC
constexpr int kMaxDepth = 4;

constexpr std::array<const char*, 16> kFolderWords = {
    "images", "products", "news",  "archive", "docs",     "gallery",  "events",  "staff",
    "photos", "download", "media", "about",   "services", "projects", "support", "articles"};
constexpr std::array<const char*, 5> kPageStems = {"page", "article", "item", "story", "report"};
constexpr std::array<const char*, 5> kPictureStems = {"photo", "logo", "banner", "icon", "pic"};
constexpr std::array<const char*, 24> kWords = {
    "the",     "web",    "site",   "page",  "news",    "product", "service", "contact",
    "welcome", "home",   "about",  "our",   "company", "team",    "event",   "gallery",
    "photo",   "update", "online", "order", "price",   "offer",   "quality", "support"};

const char* const kVtiInf =
    "<!-- _lcid=\"1033\" _version=\"5.0.2.6790\" -->\r\n"
    "<!-- _vti_inf.html version 0.100 -->\r\n"
    "<html><head><title>FrontPage Configuration Information</title></head><body>\r\n"
    "<!--\r\n"
    "FPVersion=\"5.0.2.6790\"\r\n"
    "FPShtmlScriptUrl=\"_vti_bin/shtml.exe/_vti_rpc\"\r\n"
    "FPAuthorScriptUrl=\"_vti_bin/_vti_aut/author.exe\"\r\n"
    "FPAdminScriptUrl=\"_vti_bin/_vti_adm/admin.exe\"\r\n"
    "TPScriptUrl=\"_vti_bin/owssvr.dll\"\r\n"
    "-->\r\n"
    "</body></html>\r\n";

enum class Kind { kPage, kGif, kJpg, kOther };

Kind KindOf(const std::string& name) {
  auto ends = [&](const char* ext) {
    std::string e(ext);
    return name.size() >= e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
  };
  if (ends(".htm")) return Kind::kPage;
  if (ends(".gif")) return Kind::kGif;
  if (ends(".jpg")) return Kind::kJpg;
  return Kind::kOther;
}

// Sizes spread evenly over the octaves of the range, as in a real web: many small pages and
// icons, fewer big photos. Integer arithmetic only, so every platform draws the same sizes.
std::int64_t DrawSize(Random& rng, std::int64_t minSize, std::int64_t maxSize) {
  if (maxSize <= minSize) return minSize;
  int octaves = 0;
  for (std::int64_t s = minSize; s < maxSize; s *= 2) ++octaves;
  std::int64_t lo = minSize << rng.Below(static_cast<std::uint64_t>(octaves));
  std::int64_t hi = std::min(lo * 2 - 1, maxSize);
  return rng.Between(lo, hi);
}

// Day, month name, year and time of day, as the editor writes them in its meta files.
std::string MetaTime(std::int64_t seconds) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  // Civil date from days since 1970-01-01 (proleptic Gregorian).
  days += 719468;
  std::int64_t era = days / 146097;
  std::int64_t doe = days - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d %s %04d %02d:%02d:%02d -0000", static_cast<int>(day),
                kMonths[month - 1], static_cast<int>(year), static_cast<int>(rest / 3600),
                static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
  return buffer;
}

// What a page may refer to: a random file of the web as seen from the page, and the way up
// to the web's root. Pages of the extension folders refer to nothing.
struct PageTargets {
  std::function<std::string(Random&)> anyFile;
  std::string toRoot;  // "../" once per folder level
};

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  for (std::size_t start = 0;;) {
    std::size_t slash = path.find('/', start);
    names.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) return names;
    start = slash + 1;
  }
}

// One of the problems a plain host shows, planted in a few pages so that the site check has
// something of every kind to find.
std::string PlantedProblem(Random& rng, const PageTargets& targets) {
  switch (rng.Below(7)) {
    case 0:  // no such file
      return "<a href=\"" + targets.toRoot + "gone" + std::to_string(rng.Below(1000)) +
             ".htm\">an old page</a>";
    case 1: {  // right only when case is ignored
      std::string target = targets.anyFile(rng);
      std::size_t name = target.rfind('/') + 1;
      for (std::size_t i = name; i < target.size(); ++i)
        if (target[i] >= 'a' && target[i] <= 'z') target[i] = static_cast<char>(target[i] - 32);
      return "<img src=\"" + target + "\" alt=\"picture\">";
    }
    case 2:  // in a folder the conversion leaves out
      return "<img src=\"" + targets.toRoot + "_overlay/button1.gif\" width=\"100\">";
    case 3:  // a file a skip list may name
      return "<a href=\"" + targets.toRoot + "_vti_inf.html\">configuration</a>";
    case 4:
      return "<form method=\"POST\" action=\"--WEBBOT-SELF--\">\r\n<!--webbot "
             "bot=\"SaveResults\" U-File=\"_private/form_results.htm\" S-Format=\"HTML/DL\" "
             "startspan --><strong>[Save Results]</strong><!--webbot bot=\"SaveResults\" "
             "endspan i-checksum=\"1\" -->\r\n</form>";
    case 5:
      return "<img src=\"" + targets.toRoot +
             "_vti_bin/fpcount.exe/?Page=index.htm|Image=4\" alt=\"Hit Counter\">";
    default:  // the author's own disk
      return "<a href=\"file:///C:/My%20Webs/draft.htm\">draft</a>";
  }
}

std::string PageContent(const std::string& title, std::int64_t size, Random& rng,
                        const PageTargets* targets) {
  std::string head =
      "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=windows-1252\">\r\n<meta name=\"GENERATOR\" content=\"Microsoft FrontPage "
      "5.0\">\r\n<title>" +
      title + "</title>\r\n</head>\r\n<body>\r\n<p>";
  const std::string tail = "</p>\r\n</body>\r\n</html>\r\n";
  std::string text;
  text.reserve(static_cast<std::size_t>(size) + 16);
  text += head;
  auto target = static_cast<std::size_t>(size);
  std::size_t bodyEnd = target > tail.size() ? target - tail.size() : 0;
  // One page in 40 carries a problem, early enough to survive the cut to size.
  if (targets && rng.Below(40) == 0) text += PlantedProblem(rng, *targets) + "\r\n";
  int inLine = 0;
  while (text.size() < bodyEnd) {
    const std::uint64_t roll = targets ? rng.Below(40) : 39;
    if (roll < 2) {
      text += "<a href=\"" + targets->anyFile(rng) + "\">";
      text += kWords[rng.Below(kWords.size())];
      text += "</a> ";
    } else if (roll == 2) {
      text += "<img border=\"0\" src=\"" + targets->anyFile(rng) + "\" width=\"" +
              std::to_string(rng.Between(16, 640)) + "\" height=\"" +
              std::to_string(rng.Between(16, 480)) + "\"> ";
    } else if (roll == 3) {
      text += "<font face=\"Arial\" size=\"2\"><b>";
      text += kWords[rng.Below(kWords.size())];
      text += "</b></font> ";
    } else if (roll == 4 && rng.Below(8) == 0) {
      text += "</p>\r\n<table border=\"0\" width=\"100%\"><tr><td style=\"background: url(" +
              targets->anyFile(rng) + ")\">&nbsp;</td><td><a href=\"http://www.example.com/\">";
      text += kWords[rng.Below(kWords.size())];
      text +=
          "</a></td></tr></table>\r\n<!--webbot bot=\"Timestamp\" S-Type=\"EDITED\" "
          "S-Format=\"%d %B %Y\" -->\r\n<p>";
    }
    text += kWords[rng.Below(kWords.size())];
    if (++inLine == 12) {
      text += "</p>\r\n<p>";
      inLine = 0;
    } else {
      text += ' ';
    }
  }
  text.resize(bodyEnd);
  text += tail;
  text.resize(target);  // tiny sizes cut even the tail
  return text;
}

std::string BinaryContent(Kind kind, std::int64_t size, Random& rng) {
  std::string data(static_cast<std::size_t>(size), '\0');
  for (std::size_t i = 0; i < data.size(); i += 8) {
    std::uint64_t v = rng.Next();
    for (std::size_t b = 0; b < 8 && i + b < data.size(); ++b) {
      data[i + b] = static_cast<char>(v >> (8 * b));
    }
  }
  std::string header;
  std::string trailer;
  if (kind == Kind::kGif) {
    header = std::string("GIF89a", 6);
    trailer = ";";
  } else if (kind == Kind::kJpg) {
    header = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01", 13);
    trailer = std::string("\xFF\xD9", 2);
  }
  if (data.size() >= header.size() + trailer.size()) {
    data.replace(0, header.size(), header);
    data.replace(data.size() - trailer.size(), trailer.size(), trailer);
  }
  return data;
}

bool WriteBytes(const std::string& path, const std::string& bytes, std::int64_t writeTime,
                std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr;
  if (ok && !bytes.empty()) ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  std::error_code ec;
  auto when =
      std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(writeTime)));
  fs::last_write_time(path, when, ec);
  if (ec) {
    if (error) *error = "cannot set the time of " + path + ": " + ec.message();
    return false;
  }
  return true;
}

bool MakeFolder(const std::string& path, std::string* error) {
  std::error_code ec;
  fs::create_directory(path, ec);
  if (ec) {
    if (error) *error = "cannot create " + path + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace

WebGenerator::WebGenerator(const WebShape& shape) : shape_(shape) {
  shape_.files = std::max<std::int64_t>(shape_.files, 1);
  shape_.folders = std::max<std::int64_t>(shape_.folders, 0);
  shape_.minSize = std::max<std::int64_t>(shape_.minSize, 1);
  shape_.maxSize = std::max(shape_.maxSize, shape_.minSize);
  Plan();
}

const std::vector<std::string>& WebGenerator::ExtensionFolderNames() {
  static const std::vector<std::string> kNames = {"_vti_pvt", "_vti_bin", "_private",
                                                  "_borders", "_overlay", "_fpclass"};
  return kNames;
}

void WebGenerator::Plan() {
  Random rng(Mix(shape_.seed, 0x466F6C64));
  std::vector<int> depth;
  folders_.reserve(static_cast<std::size_t>(shape_.folders));
  for (std::int64_t i = 0; i < shape_.folders; ++i) {
    // A random recursive tree gives a few levels; some folders hang off the root directly.
    std::int64_t parent = -1;
    if (i > 0 && rng.Below(10) != 0) {
      parent = static_cast<std::int64_t>(rng.Below(static_cast<std::uint64_t>(i)));
      if (depth[static_cast<std::size_t>(parent)] >= kMaxDepth) parent = -1;
    }
    std::string name = kFolderWords[rng.Below(kFolderWords.size())] + std::to_string(i);
    if (i % 7 == 3) name[0] = static_cast<char>(name[0] - 'a' + 'A');
    if (parent < 0) {
      folders_.push_back(name);
      depth.push_back(1);
    } else {
      folders_.push_back(folders_[static_cast<std::size_t>(parent)] + "/" + name);
      depth.push_back(depth[static_cast<std::size_t>(parent)] + 1);
    }
  }
  counts_.contentFolders = shape_.folders;

  files_.reserve(static_cast<std::size_t>(shape_.files));
  files_.push_back(File{-1, "_vti_inf.html", static_cast<std::int64_t>(std::string(kVtiInf).size()),
                        kBaseTime, 0, true});
  Random fileRng(Mix(shape_.seed, 0x46696C65));
  for (std::int64_t i = 1; i < shape_.files; ++i) {
    File file;
    file.folder =
        static_cast<std::int32_t>(fileRng.Below(static_cast<std::uint64_t>(shape_.folders + 1))) -
        1;
    std::uint64_t kind = fileRng.Below(20);
    if (kind < 12) {
      file.name =
          std::string(kPageStems[fileRng.Below(kPageStems.size())]) + std::to_string(i) + ".htm";
    } else {
      file.name = std::string(kPictureStems[fileRng.Below(kPictureStems.size())]) +
                  std::to_string(i) + (kind < 17 ? ".gif" : ".jpg");
    }
    file.size = DrawSize(fileRng, shape_.minSize, shape_.maxSize);
    file.writeTime = kBaseTime + fileRng.Between(0, kTimeSpan);
    file.contentSeed = fileRng.Next();
    files_.push_back(std::move(file));
  }
}

std::string WebGenerator::FolderPath(const std::string& root, std::int32_t folder) const {
  if (folder < 0) return root;
  return root + "/" + folders_[static_cast<std::size_t>(folder)];
}

std::string WebGenerator::RelativePath(const File& file) const {
  if (file.folder < 0) return file.name;
  return folders_[static_cast<std::size_t>(file.folder)] + "/" + file.name;
}

bool WebGenerator::WriteFile(const std::string& root, const File& file, std::string* error) const {
  std::string path = FolderPath(root, file.folder) + "/" + file.name;
  Kind kind = KindOf(file.name);
  std::string content;
  if (file.name == "_vti_inf.html" && file.folder < 0) {
    content = kVtiInf;
  } else {
    Random rng(file.contentSeed);
    // References are written relative to the page, as the editor writes them.
    std::vector<std::string> from;
    if (file.folder >= 0) from = FolderNames(folders_[static_cast<std::size_t>(file.folder)]);
    PageTargets targets;
    for (std::size_t i = 0; i < from.size(); ++i) targets.toRoot += "../";
    targets.anyFile = [this, &from](Random& pick) {
      const File& target = files_[pick.Below(files_.size())];
      std::vector<std::string> to;
      if (target.folder >= 0) to = FolderNames(folders_[static_cast<std::size_t>(target.folder)]);
      std::size_t common = 0;
      while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
      std::string reference;
      for (std::size_t i = common; i < from.size(); ++i) reference += "../";
      for (std::size_t i = common; i < to.size(); ++i) reference += to[i] + "/";
      return reference + target.name;
    };
    content = kind == Kind::kPage ? PageContent(file.name, file.size, rng, &targets)
                                  : BinaryContent(kind, file.size, rng);
  }
  return WriteBytes(path, content, file.writeTime, error);
}

bool WebGenerator::WriteMirror(const std::string& root, const File& file,
                               std::string* error) const {
  std::string path = FolderPath(root, file.folder) + "/_vti_cnf/" + file.name;
  std::string stamp = MetaTime(file.writeTime);
  std::string meta = "vti_encoding:SR|utf8-nl\r\nvti_timelastmodified:TR|" + stamp +
                     "\r\nvti_extenderversion:SR|5.0.2.6790\r\nvti_author:SR|WEBHOST\\webmaster"
                     "\r\nvti_modifiedby:SR|WEBHOST\\webmaster\r\nvti_timecreated:TR|" +
                     MetaTime(kBaseTime) + "\r\nvti_filesize:IR|" + std::to_string(file.size) +
                     "\r\n";
  if (KindOf(file.name) == Kind::kPage) {
    meta += "vti_title:SR|" + file.name + "\r\nvti_backlinkinfo:VX|\r\nvti_cacheddtm:TX|" + stamp +
            "\r\n";
  }
  return WriteBytes(path, meta, file.writeTime, error);
}

bool WebGenerator::WriteExtensionFolders(const std::string& root, std::string* error) {
  struct Item {
    const char* path;
    std::int64_t size;
  };
  static const Item kItems[] = {
      {"_vti_pvt/service.cnf", 420},
      {"_vti_pvt/services.cnf", 12},
      {"_vti_pvt/access.cnf", 160},
      {"_vti_pvt/botinfs.cnf", 310},
      {"_vti_pvt/bots.cnf", 120},
      {"_vti_pvt/deptodoc.btr", 2400},
      {"_vti_pvt/doctodep.btr", 2600},
      {"_vti_pvt/linkinfo.btr", 3100},
      {"_vti_pvt/structure.cnf", 900},
      {"_vti_pvt/writeto.cnf", 80},
      {"_vti_pvt/service.lck", 0},
      {"_vti_pvt/frontpg.lck", 0},
      {"_vti_pvt/_x_todo.htm", 1200},
      {"_vti_pvt/_x_todoh.htm", 900},
      {"_vti_bin/shtml.exe", 24000},
      {"_vti_bin/_vti_adm/admin.exe", 24000},
      {"_vti_bin/_vti_aut/author.exe", 24000},
      {"_private/form_results.htm", 640},
      {"_private/index.htm", 320},
      {"_borders/top.htm", 700},
      {"_borders/left.htm", 560},
      {"_borders/bottom.htm", 480},
      {"_borders/_vti_cnf/top.htm", 300},
      {"_borders/_vti_cnf/left.htm", 300},
      {"_borders/_vti_cnf/bottom.htm", 300},
      {"_overlay/button1.gif", 1400},
      {"_overlay/button2.gif", 1400},
      {"_fpclass/fphover.class", 9300},
      {"_fpclass/fphoverx.class", 1600},
  };
  for (const std::string& name : ExtensionFolderNames()) {
    if (!MakeFolder(root + "/" + name, error)) return false;
  }
  for (const char* sub : {"_vti_bin/_vti_adm", "_vti_bin/_vti_aut", "_borders/_vti_cnf"}) {
    if (!MakeFolder(root + "/" + sub, error)) return false;
  }
  Random rng(Mix(shape_.seed, 0x457874));
  for (const Item& item : kItems) {
    std::string name(item.path);
    Kind kind = KindOf(name);
    std::string content = kind == Kind::kPage ? PageContent(name, item.size, rng, nullptr)
                                              : BinaryContent(kind, item.size, rng);
    if (!WriteBytes(root + "/" + name, content, kBaseTime, error)) return false;
    ++counts_.extensionFiles;
  }
  return true;
}

bool WebGenerator::Generate(const std::string& root, std::string* error) {
  std::error_code ec;
  if (fs::exists(root, ec) && !fs::is_empty(root, ec)) {
    if (error) *error = root + " is not empty";
    return false;
  }
  fs::create_directories(root, ec);
  if (ec) {
    if (error) *error = "cannot create " + root + ": " + ec.message();
    return false;
  }
  counts_.keptFiles = counts_.keptBytes = counts_.mirrorFiles = counts_.extensionFiles = 0;
  if (!MakeFolder(root + "/_vti_cnf", error)) return false;
  for (std::size_t i = 0; i < folders_.size(); ++i) {
    std::string path = FolderPath(root, static_cast<std::int32_t>(i));
    if (!MakeFolder(path, error) || !MakeFolder(path + "/_vti_cnf", error)) return false;
  }
  for (std::size_t i = 0; i < files_.size(); ++i) {
    File& file = files_[i];
    file.live = true;
    if (!WriteFile(root, file, error)) return false;
    ++counts_.keptFiles;
    counts_.keptBytes += file.size;
    if (i == 0) continue;  // the configuration file has no meta file
    if (!WriteMirror(root, file, error)) return false;
    ++counts_.mirrorFiles;
  }
  return WriteExtensionFolders(root, error);
}

std::vector<std::size_t> WebGenerator::PickLive(double fraction, std::uint64_t seed) const {
  std::vector<std::size_t> live;
  for (std::size_t i = 1; i < files_.size(); ++i) {
    if (files_[i].live) live.push_back(i);
  }
  fraction = std::clamp(fraction, 0.0, 1.0);
  auto count = static_cast<std::size_t>(static_cast<double>(live.size()) * fraction + 0.5);
  Random rng(Mix(shape_.seed, seed));
  for (std::size_t i = 0; i < count; ++i) {  // partial Fisher-Yates
    std::size_t j = i + static_cast<std::size_t>(rng.Below(live.size() - i));
    std::swap(live[i], live[j]);
  }
  live.resize(count);
  std::sort(live.begin(), live.end());
  return live;
}

std::vector<std::string> WebGenerator::EditFiles(const std::string& root, double fraction,
                                                 std::uint64_t seed, std::string* error) {
  std::vector<std::string> edited;
  ++editRound_;
  Random rng(Mix(Mix(shape_.seed, seed), static_cast<std::uint64_t>(editRound_)));
  bool resize = false;
  for (std::size_t index : PickLive(fraction, seed)) {
    File& file = files_[index];
    file.contentSeed = rng.Next();
    // Every other edit keeps the size, so only the date tells the change.
    if ((resize = !resize)) {
      std::int64_t size = file.size;
      while (size == file.size && shape_.maxSize > shape_.minSize) {
        size = DrawSize(rng, shape_.minSize, shape_.maxSize);
      }
      counts_.keptBytes += size - file.size;
      file.size = size;
    }
    file.writeTime = kEditBaseTime + editRound_ * 30 * 86400 + rng.Between(0, 86399);
    if (!WriteFile(root, file, error) || !WriteMirror(root, file, error)) return edited;
    edited.push_back(RelativePath(file));
  }
  return edited;
}

std::vector<std::string> WebGenerator::DeleteFiles(const std::string& root, double fraction,
                                                   std::uint64_t seed, std::string* error) {
  std::vector<std::string> deleted;
  for (std::size_t index : PickLive(fraction, seed)) {
    File& file = files_[index];
    std::string folder = FolderPath(root, file.folder);
    std::error_code ec;
    if (!fs::remove(folder + "/" + file.name, ec) || ec) {
      if (error) *error = "cannot delete " + folder + "/" + file.name;
      return deleted;
    }
    fs::remove(folder + "/_vti_cnf/" + file.name, ec);
    file.live = false;
    --counts_.keptFiles;
    --counts_.mirrorFiles;
    counts_.keptBytes -= file.size;
    deleted.push_back(RelativePath(file));
  }
  return deleted;
}

std::vector<std::string> WebGenerator::KeptFiles() const {
  std::vector<std::string> kept;
  kept.reserve(files_.size());
  for (const File& file : files_) {
    if (file.live) kept.push_back(RelativePath(file));
  }
  return kept;
}

}  // namespace tarnwick
