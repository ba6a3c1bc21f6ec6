#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// The size and seed of a synthetic FrontPage web.
struct WebShape {
  std::int64_t files = 20000;   // files a conversion copies, _vti_inf.html included
  std::int64_t folders = 1000;  // content folders below the root
  std::uint64_t seed = 1;
  std::int64_t minSize = 200;
  std::int64_t maxSize = 50 * 1024;
};

// What a generated web holds on disk.
struct WebCounts {
  std::int64_t keptFiles = 0;  // files outside the server-extension folders
  std::int64_t keptBytes = 0;
  std::int64_t contentFolders = 0;  // folders below the root outside the extension folders
  std::int64_t mirrorFiles = 0;     // the _vti_cnf meta files
  std::int64_t extensionFiles = 0;  // files in the root's extension folders
};

// Writes a FrontPage web as the editor leaves it: a folder tree of pages (.htm, with links,
// pictures, tables and components, and in one page of 40 a problem for the site check) and
// pictures (.gif, .jpg), every folder with its _vti_cnf folder holding one meta file per file, the
// root's server-extension folders and the root file _vti_inf.html. Everything (names,
// contents, sizes, last-write times) follows from the shape, so two webs of one shape are
// equal byte for byte and time for time.
class WebGenerator {
 public:
  explicit WebGenerator(const WebShape& shape);

  // Writes the web into root, which must be missing or empty.
  bool Generate(const std::string& root, std::string* error);

  // Edits the given fraction of the live content files: new content, for half of them also
  // a new size, and always a new (later) last-write time; the _vti_cnf mirror follows. The
  // choice follows from seed. Returns the relative paths edited.
  std::vector<std::string> EditFiles(const std::string& root, double fraction, std::uint64_t seed,
                                     std::string* error);

  // Deletes the given fraction of the live content files (and their mirrors).
  std::vector<std::string> DeleteFiles(const std::string& root, double fraction, std::uint64_t seed,
                                       std::string* error);

  // Relative paths ("/" separated) of the files a conversion copies, in generation order;
  // deleted files are left out.
  std::vector<std::string> KeptFiles() const;
  // Relative paths of the content folders below the root.
  const std::vector<std::string>& ContentFolders() const { return folders_; }
  const WebCounts& Counts() const { return counts_; }

  // The root's server-extension folders, as the generator writes them.
  static const std::vector<std::string>& ExtensionFolderNames();

 private:
  struct File {
    std::int32_t folder;  // index into folders_, -1 for the root
    std::string name;
    std::int64_t size;
    std::int64_t writeTime;  // seconds since the epoch
    std::uint64_t contentSeed;
    bool live = true;
  };

  void Plan();
  std::string FolderPath(const std::string& root, std::int32_t folder) const;
  std::string RelativePath(const File& file) const;
  bool WriteFile(const std::string& root, const File& file, std::string* error) const;
  bool WriteMirror(const std::string& root, const File& file, std::string* error) const;
  bool WriteExtensionFolders(const std::string& root, std::string* error);
  std::vector<std::size_t> PickLive(double fraction, std::uint64_t seed) const;

  WebShape shape_;
  std::vector<std::string> folders_;  // relative paths, parents before children
  std::vector<File> files_;
  WebCounts counts_;
  std::int64_t editRound_ = 0;
};

}  // namespace tarnwick
