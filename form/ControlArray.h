// SPDX-License-Identifier: MIT
#pragma once
// A control array: elements addressed by index, created and removed while
// the program runs. A new element copies the look of element 0 (the
// template) and starts hidden; creating an element that exists, or using one
// that does not, throws ControlArrayError. Owns its elements.

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <functional>
#include <vector>

#include "Form.h"

namespace orbelle::form {

class ControlArrayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

template <class T>
class ControlArray {
public:
    explicit ControlArray(std::string name) : name_(std::move(name)) {}

    // Where new elements go, and the wiring each gets (its handlers).
    void place(Form &form, Control *container) { form_ = &form; container_ = container; }
    std::function<void(T &)> Wire;

    // Creates element `index` as a design-time element: shown, default look.
    T &create(int index)
    {
        if (exists(index))
            throw ControlArrayError(name_ + "(" + std::to_string(index) + ") exists already");
        auto element = std::make_unique<T>(name_, index);
        T &ref = *element;
        elements_.emplace(index, std::move(element));
        if (form_)
            form_->add(ref, container_);
        if (Wire)
            Wire(ref);
        return ref;
    }

    // Creates element `index` at run time as a hidden copy of the template.
    T &load(int index)
    {
        if (elements_.empty())
            throw ControlArrayError(name_ + " has no template element");
        const T &tmpl = *elements_.begin()->second;
        T &ref = create(index);
        static_cast<ControlState &>(ref) = static_cast<const ControlState &>(tmpl);
        static_cast<typename T::State &>(ref) = static_cast<const typename T::State &>(tmpl);
        ref.Visible = false;
        return ref;
    }

    void unload(int index)
    {
        auto it = elements_.find(index);
        if (it == elements_.end())
            throw ControlArrayError(name_ + "(" + std::to_string(index) + ") does not exist");
        elements_.erase(it);
    }

    bool exists(int index) const { return elements_.count(index) != 0; }
    // The indices of the elements that exist, in ascending order.
    std::vector<int> indices() const
    {
        std::vector<int> result;
        for (const auto &[index, element] : elements_)
            result.push_back(index);
        return result;
    }
    int count() const { return int(elements_.size()); }

    T &operator[](int index)
    {
        auto it = elements_.find(index);
        if (it == elements_.end())
            throw ControlArrayError(name_ + "(" + std::to_string(index) + ") does not exist");
        return *it->second;
    }
    const T &operator[](int index) const { return const_cast<ControlArray *>(this)->operator[](index); }

    const std::string &name() const { return name_; }

private:
    std::string name_;
    Form *form_ = nullptr;
    Control *container_ = nullptr;
    std::map<int, std::unique_ptr<T>> elements_;
};

} // namespace orbelle::form
