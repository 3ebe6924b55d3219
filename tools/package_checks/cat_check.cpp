// cat_check: reads a driver package's catalog with the system's own catalog functions (wintrust, crypt32) and
// checks that it covers the package.   cat_check PACKAGE_DIR\NAME.cat [--os-attr TEXT]
//
// Every other file in the catalog's folder must have a member whose SHA-1 hash, as the system computes it
// (CryptCATAdminCalcHashFromFileHandle), is the member's digest; every member must match a file; each member names
// its file ("File") and, with --os-attr, the Windows versions ("OSAttr") as given; so must the catalog itself.
// Fails (exit 1, one line per problem) otherwise; prints "ok: ..." when all is well.
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <mscat.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/win32_common/tool_io.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(::towlower(c));
  return text;
}

std::string Hex(const BYTE* data, DWORD size) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (DWORD i = 0; i < size; ++i) {
    text += digits[data[i] >> 4];
    text += digits[data[i] & 15];
  }
  return text;
}

// A name-value pair of the catalog: its tag and its text (stored as UTF-16 with a closing NUL).
bool DecodeNameValue(const BYTE* data, DWORD size, std::wstring* tag, std::wstring* value) {
  CAT_NAMEVALUE* decoded = nullptr;
  DWORD length = 0;
  if (!::CryptDecodeObjectEx(kEncoding, CAT_NAMEVALUE_OBJID, data, size, CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded,
                             &length)) {
    return false;
  }
  *tag = decoded->pwszTag ? decoded->pwszTag : L"";
  value->assign(reinterpret_cast<const wchar_t*>(decoded->Value.pbData), decoded->Value.cbData / sizeof(wchar_t));
  while (!value->empty() && value->back() == L'\0') value->pop_back();
  ::LocalFree(decoded);
  return true;
}

struct Member {
  std::map<std::wstring, std::wstring> names;  // "File", "OSAttr", ...
};

// The certificate trust list inside the catalog, read with crypt32's decoders: name-value pairs by member digest,
// and those of the catalog itself.
bool ReadNameValues(const std::vector<BYTE>& file, std::map<std::string, Member>* members,
                    std::map<std::wstring, std::wstring>* catalog) {
  HCRYPTMSG message = ::CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr);
  if (!message) return false;
  bool ok = false;
  DWORD size = 0;
  if (::CryptMsgUpdate(message, file.data(), static_cast<DWORD>(file.size()), TRUE) &&
      ::CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, nullptr, &size)) {
    std::vector<BYTE> content(size);
    CTL_INFO* ctl = nullptr;
    DWORD ctlSize = 0;
    if (::CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, content.data(), &size) &&
        ::CryptDecodeObjectEx(kEncoding, PKCS_CTL, content.data(), size, CRYPT_DECODE_ALLOC_FLAG, nullptr, &ctl,
                              &ctlSize)) {
      ok = true;
      for (DWORD e = 0; e < ctl->cCTLEntry; ++e) {
        const CTL_ENTRY& entry = ctl->rgCTLEntry[e];
        Member member;
        std::string digest;
        for (DWORD a = 0; a < entry.cAttribute; ++a) {
          const CRYPT_ATTRIBUTE& attribute = entry.rgAttribute[a];
          if (attribute.cValue != 1) continue;
          if (std::string(attribute.pszObjId) == CAT_NAMEVALUE_OBJID) {
            std::wstring tag, value;
            if (DecodeNameValue(attribute.rgValue->pbData, attribute.rgValue->cbData, &tag, &value)) {
              member.names[tag] = value;
            }
          } else if (std::string(attribute.pszObjId) == SPC_INDIRECT_DATA_OBJID) {
            SIP_INDIRECT_DATA* indirect = nullptr;
            DWORD indirectSize = 0;
            if (::CryptDecodeObjectEx(kEncoding, SPC_INDIRECT_DATA_OBJID, attribute.rgValue->pbData,
                                      attribute.rgValue->cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &indirect,
                                      &indirectSize)) {
              digest = Hex(indirect->Digest.pbData, indirect->Digest.cbData);
              ::LocalFree(indirect);
            }
          }
        }
        if (!digest.empty()) (*members)[digest] = member;
      }
      for (DWORD x = 0; x < ctl->cExtension; ++x) {
        const CERT_EXTENSION& extension = ctl->rgExtension[x];
        std::wstring tag, value;
        if (std::string(extension.pszObjId) == CAT_NAMEVALUE_OBJID &&
            DecodeNameValue(extension.Value.pbData, extension.Value.cbData, &tag, &value)) {
          (*catalog)[tag] = value;
        }
      }
      ::LocalFree(ctl);
    }
  }
  ::CryptMsgClose(message);
  return ok;
}

std::vector<BYTE> ReadAll(const std::wstring& path) {
  std::vector<BYTE> data;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return data;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!::ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) || read != data.size()) {
      data.clear();
    }
  }
  ::CloseHandle(file);
  return data;
}

}  // namespace

int main() {
  std::vector<std::wstring> args = tool_io::Arguments();
  if (args.empty()) tool_io::Fail("usage: cat_check PACKAGE_DIR\\NAME.cat [--os-attr TEXT]", 2);
  std::wstring catalogPath = args[0];
  std::wstring osAttr = tool_io::Option(args, L"--os-attr");
  const size_t slash = catalogPath.find_last_of(L"\\/");
  const std::wstring folder = catalogPath.substr(0, slash + 1);
  const std::wstring catalogName = catalogPath.substr(slash + 1);

  std::vector<std::string> problems;
  auto problem = [&](const std::wstring& text) { problems.push_back(tool_io::Utf8(text)); };

  // crypt32 reads the message first: Wine's CryptCATOpen hands back a handle even for a file that is no catalog,
  // and enumerating its members then crashes.
  std::map<std::string, Member> members;
  std::map<std::wstring, std::wstring> catalogNames;
  if (!ReadNameValues(ReadAll(catalogPath), &members, &catalogNames)) {
    tool_io::Print("crypt32 reads no certificate trust list in " + tool_io::Utf8(catalogName) + "\n");
    return 1;
  }

  HANDLE catalog = ::CryptCATOpen(catalogPath.data(), CRYPTCAT_OPEN_EXISTING, 0, 0, 0);
  if (catalog == INVALID_HANDLE_VALUE || !catalog) {
    tool_io::Print("CryptCATOpen failed: error " + std::to_string(::GetLastError()) + "\n");
    return 1;
  }
  // Members as wintrust reads them: digest, hash algorithm and subject type.
  std::map<std::string, std::string> algorithmByDigest;
  size_t memberCount = 0;
  for (CRYPTCATMEMBER* member = nullptr; (member = ::CryptCATEnumerateMember(catalog, member));) {
    ++memberCount;
    if (!member->pIndirectData) {
      problem(L"a member without indirect data");
      continue;
    }
    std::string digest = Hex(member->pIndirectData->Digest.pbData, member->pIndirectData->Digest.cbData);
    algorithmByDigest[digest] = member->pIndirectData->DigestAlgorithm.pszObjId
                                    ? member->pIndirectData->DigestAlgorithm.pszObjId
                                    : "";
  }
  ::CryptCATClose(catalog);
  if (memberCount == 0) problem(L"the catalog has no members");

  if (!osAttr.empty() && catalogNames[L"OSAttr"] != osAttr) {
    problem(L"the catalog's OSAttr is \"" + catalogNames[L"OSAttr"] + L"\", not \"" + osAttr + L"\"");
  }

  std::set<std::string> matched;
  size_t fileCount = 0;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::wstring name = found.cFileName;
      if (Lower(name) == Lower(catalogName)) continue;
      ++fileCount;
      HANDLE file = ::CreateFileW((folder + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
      BYTE hash[64];
      DWORD hashSize = sizeof(hash);
      bool hashed = file != INVALID_HANDLE_VALUE && ::CryptCATAdminCalcHashFromFileHandle(file, &hashSize, hash, 0);
      if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
      if (!hashed) {
        problem(L"cannot hash " + name);
        continue;
      }
      std::string digest = Hex(hash, hashSize);
      auto algorithm = algorithmByDigest.find(digest);
      if (algorithm == algorithmByDigest.end()) {
        problem(name + L" (" + tool_io::Wide(digest) + L") has no member in the catalog");
        continue;
      }
      matched.insert(digest);
      if (algorithm->second != szOID_OIWSEC_sha1) {
        problem(name + L": the member's hash is not SHA-1 but " + tool_io::Wide(algorithm->second));
      }
      Member& member = members[digest];
      if (member.names[L"File"] != Lower(name)) {
        problem(name + L": the member names the file \"" + member.names[L"File"] + L"\"");
      }
      if (!osAttr.empty() && member.names[L"OSAttr"] != osAttr) {
        problem(name + L": the member's OSAttr is \"" + member.names[L"OSAttr"] + L"\"");
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  for (const auto& [digest, algorithm] : algorithmByDigest) {
    if (!matched.contains(digest)) problem(L"member " + tool_io::Wide(digest) + L" matches no file of the package");
  }

  for (const std::string& text : problems) tool_io::Print(text + "\n");
  if (!problems.empty()) return 1;
  tool_io::Print("ok: " + std::to_string(memberCount) + " members cover " + std::to_string(fileCount) + " files\n");
  return 0;
}
