#include "support/archive_writer.h"

#include <archive.h>
#include <archive_entry.h>

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

}  // namespace

void WriteArchive(const std::filesystem::path& path, ArchiveForm form,
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

// Written with ASCII stand-ins of the same length, which the flag is never set for, then the
// stand-ins replaced by the names' bytes in the local and central headers alike.
void WriteUnflaggedZip(const std::filesystem::path& path, const std::vector<ArchiveFile>& files) {
  std::vector<ArchiveFile> standIns = files;
  for (size_t i = 0; i < files.size(); ++i)
    standIns[i].name = std::string(files[i].name.size(), static_cast<char>('A' + i));
  WriteArchive(path, ArchiveForm::ZipStored, standIns);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& standIn = standIns[i].name;
    for (size_t at = bytes.find(standIn); at != std::string::npos; at = bytes.find(standIn, at))
      bytes.replace(at, standIn.size(), files[i].name);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tamsolo::testing
