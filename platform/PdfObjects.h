// Reads the objects of a PDF as QPdfWriter writes it: a cross-reference
// table, and objects whose dictionaries are plain text. It finds an
// object's value, a key's value in a dictionary, and a stream's data,
// inflating Flate. It is no general PDF parser: cross-reference streams,
// object streams and other filters are not read, and whatever it does not
// recognise reads as absent, so that its user can leave such a file alone.
#pragma once

#include <QByteArray>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class PdfObjects {
  public:
    // Reads the cross-reference table and trailer; ok() tells whether it
    // could. `pdf` must outlive the reader, which points into it.
    explicit PdfObjects(const QByteArray& pdf);
    bool ok() const { return ok_; }

    std::string_view trailer() const { return trailer_; }
    // Where the cross-reference table starts, for the next update's /Prev.
    qsizetype xrefOffset() const { return xref_; }

    // The value of object `id` (a dictionary, an array, a number...), or
    // nothing when there is no such object.
    std::optional<std::string_view> object(int id) const;
    // The value of `key` (a name, such as "/Root") in `dict`.
    std::optional<std::string_view> value(std::string_view dict, std::string_view key) const;
    // `value` itself or, if it is a reference "N 0 R", object N's value.
    std::optional<std::string_view> resolve(std::string_view value) const;
    // The object number of a reference "N 0 R", or 0.
    static int reference(std::string_view value);
    // The keys and values of a dictionary, in order.
    std::vector<std::pair<std::string_view, std::string_view>> entries(std::string_view dict) const;
    // The items of an array.
    std::vector<std::string_view> items(std::string_view array) const;
    // The decoded data of stream object `id`: unfiltered or Flate only.
    std::optional<QByteArray> streamData(int id) const;

  private:
    std::string_view text_;
    std::vector<qsizetype> offsets_;  // object number -> where "N 0 obj" starts, or -1
    std::string_view trailer_;
    qsizetype xref_ = -1;
    bool ok_ = false;
};
