#include "download/Sha256.h"

#include <openssl/evp.h>

namespace verdane {

struct Sha256::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256()
    : context_(std::make_unique<Context>())
{
    EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::add(const char* data, qint64 size)
{
    EVP_DigestUpdate(context_->md, data, static_cast<size_t>(size));
}

QByteArray Sha256::result()
{
    QByteArray digest(Size, Qt::Uninitialized);
    EVP_DigestFinal_ex(context_->md, reinterpret_cast<unsigned char*>(digest.data()), nullptr);
    EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr);
    return digest;
}

QByteArray Sha256::fromHex(QStringView text)
{
    if (text.size() != 2 * Size)
        return {};
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (!((unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
              (unit >= u'A' && unit <= u'F')))
            return {};
    }
    return QByteArray::fromHex(text.toLatin1());
}

} // namespace verdane
