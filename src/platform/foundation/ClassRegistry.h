// Class objects and the registry that finds them by name.
//
// Every dynamic class has one class object: a singleton whose C++ type derives from the class object type
// of its superclass, so class-level operations (title, default size, facet names ...) are virtual functions
// inherited and overridden along the class chain. An instance answers its class object through
// `Object::classObject()`.
//
//     class ShapeClass : public pf::ClassObject {            // class-level operations of every shape
//     public:
//         using ClassObject::ClassObject;
//         virtual QString title() const;
//     };
//     class RectangleClass : public ShapeClass { ... };      // overrides for Rectangle and below
//     const RectangleClass& Rectangle::staticClass() {
//         static const RectangleClass c(u"Rectangle"_s, &Shape::staticClass());
//         return c;
//     }
//
// Names that stored data or other areas give are resolved with a lookup restricted to the expected base
// kind: `registry.lookup<ShapeClass>("Rectangle")` answers nothing for an unknown name and for a class
// that is not a shape kind, so stored data can never instantiate a class of another kind.
//
// Registration: each area has one explicit function, called once at start-up, that adds its classes:
//
//     void registerShapeClasses(pf::ClassRegistry& r) { r.add(Rectangle::staticClass()); ... }
//
// A file-scope `pf::ClassRegistration` object also works, but only in a translation unit that the program
// references for some other reason: the linker drops unreferenced object files of a static library, and
// their static registrations with them. Prefer the explicit function.
#pragma once

#include <QHash>
#include <QString>

#include <shared_mutex>
#include <vector>

namespace pf {

class ClassObject {
public:
    ClassObject(QString name, const ClassObject* superclass);
    virtual ~ClassObject();
    ClassObject(const ClassObject&) = delete;
    ClassObject& operator=(const ClassObject&) = delete;

    const QString& className() const { return name_; }
    const ClassObject* superclass() const { return superclass_; }
    // Inclusive, as isSubclassOfClass: a class is a subclass of itself.
    bool isSubclassOf(const ClassObject& other) const;
    // This class first, then each superclass up to the root.
    std::vector<const ClassObject*> classChain() const;

private:
    QString name_;
    const ClassObject* superclass_;
};

class ClassRegistry {
public:
    // The process-wide registry.
    static ClassRegistry& shared();

    // Adds a class under its name. Adding the same class again is harmless; a different class under a
    // name already taken is refused and logged (the first stays).
    bool add(const ClassObject& cls);

    // The class of that name, or null.
    const ClassObject* lookup(const QString& name) const;

    // The class of that name when its class object is of kind K (a shape kind, a tool ...), else null.
    template <class K>
    const K* lookup(const QString& name) const
    {
        return dynamic_cast<const K*>(lookup(name));
    }

    // The class of that name when it is base or a subclass of base, else null.
    const ClassObject* lookupSubclassOf(const QString& name, const ClassObject& base) const;

    // Every registered class of kind K, by name.
    template <class K>
    std::vector<const K*> classesOfKind() const
    {
        std::vector<const K*> found;
        for (const ClassObject* cls : classesByName())
            if (const K* kind = dynamic_cast<const K*>(cls))
                found.push_back(kind);
        return found;
    }

private:
    std::vector<const ClassObject*> classesByName() const;

    mutable std::shared_mutex mutex_;
    QHash<QString, const ClassObject*> byName_;
};

// Registers a class in the shared registry when constructed (see the note on static libraries above).
class ClassRegistration {
public:
    explicit ClassRegistration(const ClassObject& cls) { ClassRegistry::shared().add(cls); }
};

} // namespace pf
