#include "records/HistoryCipher.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace cbx::records {
namespace {

constexpr char kPassPhrase[] = "HrTavelQsU_Lnx";
constexpr std::size_t kKeyBytes = 16;
constexpr std::size_t kChunkBytes = 64 * 1024;

// RC4 lives in OpenSSL's legacy provider. A context of our own keeps that provider out of the
// process-wide default that the download code shares. Created once and kept for the whole run.
OSSL_LIB_CTX* CipherContext() {
  static OSSL_LIB_CTX* const context = [] {
    OSSL_LIB_CTX* ctx = OSSL_LIB_CTX_new();
    if (ctx == nullptr) return ctx;
    if (OSSL_PROVIDER_load(ctx, "legacy") == nullptr || OSSL_PROVIDER_load(ctx, "default") == nullptr) {
      OSSL_LIB_CTX_free(ctx);
      return static_cast<OSSL_LIB_CTX*>(nullptr);
    }
    return ctx;
  }();
  return context;
}

struct CipherFree {
  void operator()(EVP_CIPHER* c) const { EVP_CIPHER_free(c); }
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};

// One RC4 stream; bytes passed to successive Apply calls continue the same key stream.
class Rc4Stream {
 public:
  bool Init(std::span<const std::uint8_t> key) {
    if (key.empty() || key.size() > 256) return false;
    OSSL_LIB_CTX* libctx = CipherContext();
    if (libctx == nullptr) return false;
    cipher_.reset(EVP_CIPHER_fetch(libctx, "RC4", nullptr));
    ctx_.reset(EVP_CIPHER_CTX_new());
    if (!cipher_ || !ctx_) return false;
    if (EVP_EncryptInit_ex2(ctx_.get(), cipher_.get(), nullptr, nullptr, nullptr) != 1) return false;
    if (EVP_CIPHER_CTX_set_key_length(ctx_.get(), static_cast<int>(key.size())) != 1) return false;
    return EVP_EncryptInit_ex2(ctx_.get(), nullptr, key.data(), nullptr, nullptr) == 1;
  }

  // Transforms size bytes in place.
  bool Apply(std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
      const std::size_t part = size < kChunkBytes ? size : kChunkBytes;
      int outLength = 0;
      if (EVP_EncryptUpdate(ctx_.get(), bytes, &outLength, bytes, static_cast<int>(part)) != 1 ||
          outLength != static_cast<int>(part)) {
        return false;
      }
      bytes += part;
      size -= part;
    }
    return true;
  }

 private:
  std::unique_ptr<EVP_CIPHER, CipherFree> cipher_;
  std::unique_ptr<EVP_CIPHER_CTX, CipherFree> ctx_;
};

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Streams source through the history cipher into a fresh file beside target, then renames it
// onto target, so target is either complete or untouched.
bool TransformFileTo(const std::string& source, const std::string& target) {
  Rc4Stream rc4;
  if (!rc4.Init(HistoryKey())) return false;

  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat sourceInfo {};
  if (in.get() < 0 || ::fstat(in.get(), &sourceInfo) != 0 || !S_ISREG(sourceInfo.st_mode)) return false;

  std::string scratch = target + ".XXXXXX";
  Fd out(::mkstemp(scratch.data()));
  if (out.get() < 0) return false;
  bool ok = ::fchmod(out.get(), sourceInfo.st_mode & 0777) == 0;

  std::vector<std::uint8_t> buffer(kChunkBytes);
  while (ok) {
    const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    const auto size = static_cast<std::size_t>(got);
    ok = rc4.Apply(buffer.data(), size) && WriteAll(out.get(), buffer.data(), size);
  }
  ok = out.Close() && ok;
  ok = ok && std::rename(scratch.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(scratch.c_str());
  return ok;
}

}  // namespace

std::vector<std::uint8_t> HistoryKey() {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int digestLength = 0;
  if (EVP_Digest(kPassPhrase, sizeof kPassPhrase - 1, digest.data(), &digestLength, EVP_sha1(), nullptr) != 1 ||
      digestLength < kKeyBytes) {
    return {};
  }
  return {digest.begin(), digest.begin() + kKeyBytes};
}

bool Rc4Transform(std::span<const std::uint8_t> key, std::vector<std::uint8_t>& data) {
  Rc4Stream rc4;
  if (!rc4.Init(key)) return false;
  std::vector<std::uint8_t> result = data;
  if (!rc4.Apply(result.data(), result.size())) return false;
  data.swap(result);
  return true;
}

bool EncipherFile(const std::string& path) {
  try {
    return TransformFileTo(path, path);
  } catch (...) {  // out of memory: nothing was replaced
    return false;
  }
}

bool DecipherToTemp(const std::string& path) {
  try {
    return TransformFileTo(path, path + ".tmp");
  } catch (...) {  // out of memory: nothing was replaced
    return false;
  }
}

}  // namespace cbx::records
