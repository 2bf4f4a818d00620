#pragma once

#include <QString>

namespace kinora {

// Whether an operation that can fail succeeded, and if not, why, as a German sentence for
// the user. Every layer reports failure this way: an operation returns a Status, and a result
// that carries data besides (a download's body, a scraped film, a stored film's paths) holds
// one as its member `status`. kinora-cli prints the reason and exits with status 1.
class [[nodiscard]] Status
{
public:
    // Success.
    Status() = default;
    static Status failure(const QString& reason)
    {
        Status status;
        status.m_failed = true;
        status.m_error = reason;
        return status;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // The reason; empty on success.
    const QString& error() const { return m_error; }

private:
    bool m_failed = false;
    QString m_error;
};

} // namespace kinora
