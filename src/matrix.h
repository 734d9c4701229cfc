// A small rows x columns matrix with checked element access.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace math {

class matrix_error : public std::logic_error {
 public:
  explicit matrix_error(const std::string& what) : std::logic_error(what) {}
};

template <class T>
class matrix {
 public:
  matrix(unsigned rows, unsigned cols) : mat_(std::make_unique<base_mat>(rows, cols)) {}

  unsigned rows() const { return mat_->rows; }
  unsigned cols() const { return mat_->cols; }

  T& operator()(unsigned row, unsigned col) {
    if (row >= mat_->rows || col >= mat_->cols)
      throw matrix_error("matrixT::operator(): Index out of range!");
    return mat_->elements[static_cast<std::size_t>(row) * mat_->cols + col];
  }

 private:
  struct base_mat {
    base_mat(unsigned r, unsigned c) : elements(static_cast<std::size_t>(r) * c), rows(r), cols(c) {}
    std::vector<T> elements;
    unsigned rows;
    unsigned cols;
  };
  std::unique_ptr<base_mat> mat_;
};

}  // namespace math
