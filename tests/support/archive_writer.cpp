#include "support/archive_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <fstream>
#include <iterator>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "archive/header_text.h"

namespace tamsolo::testing {
namespace {

void Check(struct archive* writer, int status) {
  if (status < ARCHIVE_WARN)
    throw std::runtime_error(std::string("archive writer: ") +
                             (archive_error_string(writer) ? archive_error_string(writer) : "?"));
}

void ChooseForm(struct archive* writer, ArchiveForm form) {
  switch (form) {
    case ArchiveForm::ZipStored:
    case ArchiveForm::ZipDeflated:
    case ArchiveForm::ZipEncrypted:
      Check(writer, archive_write_set_format_zip(writer));
      Check(writer, archive_write_set_options(writer, form == ArchiveForm::ZipStored
                                                          ? "zip:compression=store"
                                                          : "zip:compression=deflate"));
      if (form == ArchiveForm::ZipEncrypted) {
        Check(writer, archive_write_set_options(writer, "zip:encryption=zipcrypt"));
        Check(writer, archive_write_set_passphrase(writer, "secret"));
      }
      break;
    case ArchiveForm::SevenZipLzma:
    case ArchiveForm::SevenZipLzma2:
      Check(writer, archive_write_set_format_7zip(writer));
      Check(writer, archive_write_set_options(writer, form == ArchiveForm::SevenZipLzma
                                                          ? "7zip:compression=lzma1"
                                                          : "7zip:compression=lzma2"));
      break;
    case ArchiveForm::Tar:
    case ArchiveForm::TarGz:
      Check(writer, archive_write_set_format_pax_restricted(writer));
      if (form == ArchiveForm::TarGz)
        Check(writer, archive_write_add_filter_gzip(writer));
      break;
  }
}

bool IsZip(ArchiveForm form) {
  return form == ArchiveForm::ZipStored || form == ArchiveForm::ZipDeflated ||
         form == ArchiveForm::ZipEncrypted;
}

void WriteWithLibarchive(const std::filesystem::path& path, ArchiveForm form,
                         const std::vector<ArchiveFile>& files);

// A ZIP is written with ASCII stand-ins of the names' lengths, then the stand-ins are replaced
// by the names' bytes in the local and central headers, with the UTF-8 flag (bit 11) set where
// asked. libarchive's ZIP writer on Windows now and then finds no name for a non-ASCII one
// under Wine and crashes; ASCII names it always writes, and without the flag.
void WriteZipNamed(const std::filesystem::path& path, ArchiveForm form,
                   const std::vector<ArchiveFile>& files, bool flagUtf8) {
  std::vector<ArchiveFile> standIns = files;
  for (size_t i = 0; i < files.size(); ++i)
    standIns[i].name = std::string(files[i].name.size(), static_cast<char>('A' + i % 26));
  WriteWithLibarchive(path, form, standIns);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  constexpr size_t kLocalName = 30, kCentralName = 46;  // where each header's name starts
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& standIn = standIns[i].name;
    const bool ascii = std::all_of(files[i].name.begin(), files[i].name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    for (size_t at = bytes.find(standIn); at != std::string::npos;
         at = bytes.find(standIn, at + standIn.size())) {
      const bool local = at >= kLocalName && bytes.compare(at - kLocalName, 4, "PK\3\4") == 0;
      const bool central = at >= kCentralName && bytes.compare(at - kCentralName, 4, "PK\1\2") == 0;
      if (!local && !central)
        continue;  // the same letters inside an entry's data
      bytes.replace(at, standIn.size(), files[i].name);
      if (flagUtf8 && !ascii)
        bytes[at - (local ? kLocalName - 7 : kCentralName - 9)] |= 0x08;
    }
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

void WriteArchive(const std::filesystem::path& path, ArchiveForm form,
                  const std::vector<ArchiveFile>& files) {
  if (IsZip(form))
    WriteZipNamed(path, form, files, true);
  else
    WriteWithLibarchive(path, form, files);
}

namespace {

void WriteWithLibarchive(const std::filesystem::path& path, ArchiveForm form,
                         const std::vector<ArchiveFile>& files) {
  const std::unique_ptr<struct archive, int (*)(struct archive*)> writer(archive_write_new(),
                                                                         archive_write_free);
  ChooseForm(writer.get(), form);
  HeaderTextScope text;  // names are UTF-8 whatever the process's locale
  Check(writer.get(), archive_write_open_filename(writer.get(), path.string().c_str()));
  for (const ArchiveFile& file : files) {
    const std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                         archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), file.name.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(file.bytes.size()));
    Check(writer.get(), archive_write_header(writer.get(), entry.get()));
    if (!file.bytes.empty() &&
        archive_write_data(writer.get(), file.bytes.data(), file.bytes.size()) < 0)
      Check(writer.get(), ARCHIVE_FATAL);
  }
  Check(writer.get(), archive_write_close(writer.get()));
}

}  // namespace

void WriteUnflaggedZip(const std::filesystem::path& path, const std::vector<ArchiveFile>& files) {
  WriteZipNamed(path, ArchiveForm::ZipStored, files, false);
}

}  // namespace tamsolo::testing
