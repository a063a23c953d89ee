// CMyException: the one exception with which failures travel inside the
// library. Raised and caught by value; never leaves an export.
#ifndef TESSALINK_LINK_MY_EXCEPTION_H
#define TESSALINK_LINK_MY_EXCEPTION_H

#include <string>

class CMyException {
public:
    explicit CMyException(int code) : m_code(code) {}
    CMyException(const CMyException &other) = default;
    CMyException &operator=(const CMyException &other) = default;
    ~CMyException() = default;

    virtual int GetCode() const { return m_code; }
    virtual std::string GetMessageText() const { return m_message; }

private:
    int m_code;
    std::string m_message;  // no raise in this library sets a message
};

#endif
