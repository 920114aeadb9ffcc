#pragma once

// Inside the core only (orvcore's .cpp files): owning handles of the HDF5 C
// library and the guard every entry point into it takes. No header outside
// io/Hdf5*.cpp includes this one, so HDF5 types never leak into the rest.

#include <hdf5.h>

#include <QString>
#include <utility>

// One HDF5 identifier, closed with the close function of its kind when the
// handle goes (files, datasets, dataspaces, types, property lists, groups,
// attributes).
class Hdf5Id
{
public:
    using Closer = herr_t (*)(hid_t);

    Hdf5Id() = default;
    Hdf5Id(hid_t id, Closer close) : m_id(id), m_close(close) {}
    ~Hdf5Id() { reset(); }
    Hdf5Id(Hdf5Id&& o) noexcept : m_id(std::exchange(o.m_id, H5I_INVALID_HID)), m_close(o.m_close) {}
    Hdf5Id& operator=(Hdf5Id&& o) noexcept
    {
        if (this != &o) {
            reset();
            m_id = std::exchange(o.m_id, H5I_INVALID_HID);
            m_close = o.m_close;
        }
        return *this;
    }
    Hdf5Id(const Hdf5Id&) = delete;
    Hdf5Id& operator=(const Hdf5Id&) = delete;

    hid_t get() const { return m_id; }
    bool isValid() const { return m_id >= 0; }
    explicit operator bool() const { return isValid(); }
    void reset()
    {
        if (m_id >= 0 && m_close)
            m_close(m_id);
        m_id = H5I_INVALID_HID;
    }

    static Hdf5Id file(hid_t id) { return {id, H5Fclose}; }
    static Hdf5Id dataset(hid_t id) { return {id, H5Dclose}; }
    static Hdf5Id space(hid_t id) { return {id, H5Sclose}; }
    static Hdf5Id type(hid_t id) { return {id, H5Tclose}; }
    static Hdf5Id plist(hid_t id) { return {id, H5Pclose}; }
    static Hdf5Id group(hid_t id) { return {id, H5Gclose}; }
    static Hdf5Id attribute(hid_t id) { return {id, H5Aclose}; }

private:
    hid_t m_id = H5I_INVALID_HID;
    Closer m_close = nullptr;
};

// An HDF5 file held open between the check of a scan and the loads of its
// datasets (see Hdf5ScanPlan::openFile): a dataset opened through it does not
// make the library read and cache the file's structure once more.
struct Hdf5OpenFile {
    QString name;
    Hdf5Id id;
    ~Hdf5OpenFile();
};

// Taken by every function that calls into HDF5: makes sure the plugin path
// is set, and keeps the library from printing its error stack to stderr
// while the guard lives (the callers report failures in their own words).
// Error printing is per thread in the thread-safe library.
class Hdf5Quiet
{
public:
    Hdf5Quiet();
    ~Hdf5Quiet();
    Hdf5Quiet(const Hdf5Quiet&) = delete;
    Hdf5Quiet& operator=(const Hdf5Quiet&) = delete;

private:
    H5E_auto2_t m_func = nullptr;
    void* m_data = nullptr;
};

namespace Hdf5Text {
// The text of a variable- or fixed-length string attribute named `name` of
// object `obj` (empty when there is none or it is no string).
QString stringAttribute(hid_t obj, const char* name);
// The innermost message of the calling thread's HDF5 error stack, or empty.
QString lastError();
}
