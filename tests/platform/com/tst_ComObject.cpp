#include "platform/com/ComObject.h"

#include <QtTest>

#include <thread>
#include <vector>

namespace {

struct IAnimal : IUnknown {
    static constexpr IID iid{0x11111111, 0, 0, {1, 0, 0, 0, 0, 0, 0, 1}};
    using Base = IUnknown;
    virtual int Legs() = 0;

protected:
    ~IAnimal() = default;
};

struct IDog : IAnimal {
    static constexpr IID iid{0x11111111, 0, 0, {1, 0, 0, 0, 0, 0, 0, 2}};
    using Base = IAnimal;
    virtual int Barks() = 0;

protected:
    ~IDog() = default;
};

// Declares no Base: only its own IID is answered.
struct IOwner : IUnknown {
    static constexpr IID iid{0x11111111, 0, 0, {1, 0, 0, 0, 0, 0, 0, 3}};
    virtual int Owners() = 0;

protected:
    ~IOwner() = default;
};

constexpr IID kUnrelated{0x22222222, 0, 0, {2, 0, 0, 0, 0, 0, 0, 9}};

class Dog final : public ComObject<IDog, IOwner> {
public:
    explicit Dog(int *destroyed) : m_destroyed(destroyed) {}
    ~Dog() override { ++*m_destroyed; }
    int Legs() override { return 4; }
    int Barks() override { return 2; }
    int Owners() override { return 1; }

private:
    int *m_destroyed;
};

void *Query(IUnknown *object, const IID &iid, HRESULT *hr) {
    void *out = reinterpret_cast<void *>(0x1); // must be overwritten
    *hr = object->QueryInterface(iid, &out);
    return out;
}

} // namespace

class TestComObject final : public QObject {
    Q_OBJECT
private slots:
    void queryInterfaceFollowsInterfaceChains();
    void unknownKeepsOneIdentity();
    void lastReleaseDestroysOnce();
    void comPtrCopiesMovesAndConverts();
    void countIsSafeAcrossThreads();
};

void TestComObject::queryInterfaceFollowsInterfaceChains() {
    int destroyed = 0;
    {
        ComPtr<Dog> dog = MakeComObject<Dog>(&destroyed);
        HRESULT hr = E_FAIL;

        auto *animal =
            static_cast<IAnimal *>(Query(static_cast<IOwner *>(dog.Get()), IAnimal::iid, &hr));
        QCOMPARE(hr, S_OK);
        QCOMPARE(animal->Legs(), 4);
        animal->Release();

        auto *owner =
            static_cast<IOwner *>(Query(static_cast<IDog *>(dog.Get()), IOwner::iid, &hr));
        QCOMPARE(hr, S_OK);
        QCOMPARE(owner->Owners(), 1);
        owner->Release();

        QCOMPARE(Query(static_cast<IDog *>(dog.Get()), kUnrelated, &hr), nullptr);
        QCOMPARE(hr, E_NOINTERFACE);
        QCOMPARE(dog->QueryInterface(IDog::iid, nullptr), E_POINTER);

        ComPtr<IAnimal> viaAs = ComPtr<IDog>(dog.Get()).As<IAnimal>();
        QVERIFY(viaAs);
        QCOMPARE(ComPtr<IAnimal>().As<IDog>(), ComPtr<IDog>());
    }
    QCOMPARE(destroyed, 1); // every reference taken above was given back
}

void TestComObject::unknownKeepsOneIdentity() {
    int destroyed = 0;
    ComPtr<Dog> dog = MakeComObject<Dog>(&destroyed);
    HRESULT hr = E_FAIL;
    void *fromDog = Query(static_cast<IDog *>(dog.Get()), IUnknown::iid, &hr);
    void *fromOwner = Query(static_cast<IOwner *>(dog.Get()), IUnknown::iid, &hr);
    QCOMPARE(fromDog, fromOwner);
    static_cast<IUnknown *>(fromDog)->Release();
    static_cast<IUnknown *>(fromOwner)->Release();
}

void TestComObject::lastReleaseDestroysOnce() {
    int destroyed = 0;
    IDog *raw = nullptr;
    {
        ComPtr<Dog> dog = MakeComObject<Dog>(&destroyed);
        raw = dog.Get();
        QCOMPARE(raw->AddRef(), 2u);
    }
    QCOMPARE(destroyed, 0); // the extra reference keeps it alive
    QCOMPARE(raw->Release(), 0u);
    QCOMPARE(destroyed, 1);
}

void TestComObject::comPtrCopiesMovesAndConverts() {
    int destroyed = 0;
    {
        ComPtr<Dog> first = MakeComObject<Dog>(&destroyed);
        ComPtr<Dog> copy = first;
        ComPtr<Dog> moved = std::move(copy);
        QVERIFY(!copy);
        ComPtr<IDog> asInterface = moved; // converting copy
        ComPtr<IUnknown> asUnknown = ComPtr<IOwner>(first.Get());
        QVERIFY(asInterface && asUnknown);
        first = nullptr;
        moved.Reset();
        QCOMPARE(destroyed, 0);
        IDog *detached = asInterface.Detach();
        asUnknown.Reset();
        QCOMPARE(destroyed, 0);
        ComPtr<IDog> reattached = ComPtr<IDog>::Attach(detached);
    }
    QCOMPARE(destroyed, 1);
}

void TestComObject::countIsSafeAcrossThreads() {
    int destroyed = 0;
    ComPtr<Dog> dog = MakeComObject<Dog>(&destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([raw = dog.Get()] {
            for (int i = 0; i < 20000; ++i) {
                ComPtr<IDog> copy(raw);
                ComPtr<IDog> another = copy;
            }
        });
    }
    for (auto &thread : threads)
        thread.join();
    QCOMPARE(destroyed, 0);
    IDog *raw = dog.Detach();
    QCOMPARE(raw->Release(), 0u);
    QCOMPARE(destroyed, 1);
}

QTEST_APPLESS_MAIN(TestComObject)
#include "tst_ComObject.moc"
