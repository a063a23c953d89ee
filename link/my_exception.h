// CMyException: the one exception with which failures travel inside the
// library. Raised by value and caught by reference; never leaves an export.
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

// The one way out of a conversation: runs it and gives 0 when it ran to its
// end, or the code of the CMyException that ended it. Anything else it raises
// (a failure of the caller's file, running out of memory) goes on to the
// export.
template <typename Conversation>
int ResultOf(Conversation &&conversation)
{
    try {
        conversation();
    } catch (const CMyException &e) {
        return e.GetCode();
    }
    return 0;
}

#endif
