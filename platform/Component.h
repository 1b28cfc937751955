// The root of the class hierarchy and owner-based lifetime: a component destroys the
// components it owns, and leaves its owner's list when it is destroyed on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TClassInfo;
class TFreeListener;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject();

    // The class's name and published properties, as a form description reads and writes them.
    virtual const TClassInfo& ClassInfo() const;
    static const TClassInfo& StaticClassInfo();
    const std::string& ClassName() const;
    bool InheritsFrom(const TClassInfo& cls) const;

private:
    friend void WatchFree(TObject*, TFreeListener*);
    friend void UnwatchFree(TObject*, TFreeListener*);
    bool watched_ = false;  // spares unwatched objects the registry lookup on destruction
};

// Something that keeps non-owning references to objects and must drop them when one of
// those objects is destroyed (a grid's cell objects, for one).
class TFreeListener {
public:
    virtual void ObjectFreed(TObject* object) = 0;

protected:
    ~TFreeListener() = default;
};

// Registers a listener for an object's destruction; each Watch is undone by one Unwatch or
// by the destruction, which tells the listener once per Watch still standing.
void WatchFree(TObject* object, TFreeListener* listener);
void UnwatchFree(TObject* object, TFreeListener* listener);

// A reference to an object that someone else owns and may destroy first: it reads null from
// then on, as QPointer does for Qt objects. A control's pop-up menu is held so, and the code
// that raises a handler holds its control so across the call, as the handler may destroy it.
template <class T>
class TObjectRef final : private TFreeListener {
public:
    TObjectRef() = default;
    explicit TObjectRef(T* object) { Reset(object); }
    ~TObjectRef() { Reset(nullptr); }
    TObjectRef(const TObjectRef&) = delete;
    TObjectRef& operator=(const TObjectRef&) = delete;
    TObjectRef& operator=(T* object)
    {
        Reset(object);
        return *this;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    void Reset(T* object)
    {
        if (object == object_) return;
        if (object_) UnwatchFree(object_, this);
        object_ = object;
        if (object_) WatchFree(object_, this);
    }
    void ObjectFreed(TObject*) override { object_ = nullptr; }

    T* object_ = nullptr;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const TClassInfo& ClassInfo() const override;
    static const TClassInfo& StaticClassInfo();

    TComponent* Owner() const { return owner_; }
    const std::vector<TComponent*>& Components() const { return components_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // The owned component of that name, ignoring case, or null.
    TComponent* FindComponent(std::string_view name) const;

    const std::string& Name() const { return name_; }
    // A name is empty or an identifier, and names no other component of the owner, the owner
    // itself or a component of this one (ignoring case): a description refers to components by
    // their names. Any other name raises Exception.
    void SetName(std::string name);
    int Tag = 0;

    // True while the owner applies saved settings: changes then raise no events.
    bool Loading() const;
    void BeginLoading() { loading_ = true; }
    void EndLoading();

protected:
    // Destroys every owned component, the last one first.
    void DestroyComponents();
    // Called once the saved settings of this component have been applied.
    virtual void Loaded() {}

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::string name_;
    bool loading_ = false;
};

bool SameText(std::string_view a, std::string_view b);
