// A pseudo-terminal pair for tests: the far end (master) stays with the test,
// and the near end's path is mapped to a COM number for the library through
// TESSALINK_COM<n>.
#ifndef TESSALINK_TESTS_PTY_PAIR_H
#define TESSALINK_TESTS_PTY_PAIR_H

#include <string>
#include <vector>

class PtyPair {
public:
    // Opens a pair and sets TESSALINK_COM<comNumber> to the near end's path.
    explicit PtyPair(int comNumber);
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool ok() const { return m_master >= 0; }
    int master() const { return m_master; }
    const std::string &path() const { return m_path; }

    void Send(const std::vector<unsigned char> &bytes);
    // Reads what has arrived at the far end, waiting at most timeoutMs for
    // count bytes.
    std::vector<unsigned char> Receive(size_t count, int timeoutMs);

private:
    int m_master;
    int m_com;
    std::string m_path;
};

#endif
