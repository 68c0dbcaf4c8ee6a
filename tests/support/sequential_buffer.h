#pragma once

#include <QBuffer>

// A stream that cannot tell its size (a pipe, a socket): a file reader must not trust sizes.
class TSequentialBuffer : public QBuffer {
public:
    using QBuffer::QBuffer;
    bool isSequential() const override { return true; }
};
