#include "platform/cad/testing.h"

#include <algorithm>

namespace korvalo::cad::testing {

struct SetState {
  std::string name;
  std::vector<std::shared_ptr<Entity>> entities;
};

struct DocState {
  std::string fullName;
  std::map<std::string, int> variables;
  std::optional<int> windowState;
  std::map<std::string, std::shared_ptr<SetState>> sets;
};

struct FakeCad::World {
  bool visible = false;
  int windowState = 0;
  // Open drawings; the active one is `active`.
  std::vector<std::shared_ptr<DocState>> documents;
  std::shared_ptr<DocState> active;
  std::vector<FakeEntity> selection;
};

namespace {

std::string Member(const std::string& line) {
  return line.substr(0, line.find_first_of("(="));
}

class FakeEntityObject : public Entity {
 public:
  FakeEntityObject(FakeCad& cad, FakeEntity entity, int index)
      : cad_(cad), entity_(std::move(entity)), index_(index) {}
  std::string EntityName() override {
    cad_.Call("Entity.EntityName(" + std::to_string(index_) + ")");
    return entity_.name;
  }
  std::string TextString() override {
    cad_.Call("Entity.TextString(" + std::to_string(index_) + ")");
    return entity_.text;
  }
  const FakeEntity& Data() const { return entity_; }

 private:
  FakeCad& cad_;
  FakeEntity entity_;
  int index_;
};

class FakeSet : public SelectionSet {
 public:
  FakeSet(FakeCad& cad, std::shared_ptr<FakeCad::World> world, std::shared_ptr<DocState> doc,
          std::shared_ptr<SetState> set)
      : cad_(cad), world_(std::move(world)), doc_(std::move(doc)), set_(std::move(set)) {}

  void Delete() override {
    cad_.Call("SelectionSet.Delete(" + set_->name + ")");
    doc_->sets.erase(set_->name);
  }
  void SelectOnScreen() override {
    cad_.Call("SelectionSet.SelectOnScreen(" + set_->name + ")");
    set_->entities.clear();
    int index = 0;
    for (const FakeEntity& e : world_->selection) {
      set_->entities.push_back(std::make_shared<FakeEntityObject>(cad_, e, index++));
    }
  }
  int Count() override {
    cad_.Call("SelectionSet.Count(" + set_->name + ")");
    return static_cast<int>(set_->entities.size());
  }
  std::shared_ptr<Entity> Item(int index) override {
    cad_.Call("SelectionSet.Item(" + set_->name + "," + std::to_string(index) + ")");
    if (index < 0 || index >= static_cast<int>(set_->entities.size())) {
      throw CadError(kKeyNotFound, "Key not found");
    }
    return set_->entities[static_cast<std::size_t>(index)];
  }
  void RemoveItems(const std::vector<std::shared_ptr<Entity>>& entities) override {
    std::string names;
    for (const auto& e : entities) {
      if (!names.empty()) names += ",";
      names += static_cast<FakeEntityObject&>(*e).Data().name;
    }
    cad_.Call("SelectionSet.RemoveItems(" + set_->name + "," + names + ")");
    for (const auto& e : entities) std::erase(set_->entities, e);
  }

 private:
  FakeCad& cad_;
  std::shared_ptr<FakeCad::World> world_;
  std::shared_ptr<DocState> doc_;
  std::shared_ptr<SetState> set_;
};

class FakeSets : public SelectionSets {
 public:
  FakeSets(FakeCad& cad, std::shared_ptr<FakeCad::World> world, std::shared_ptr<DocState> doc)
      : cad_(cad), world_(std::move(world)), doc_(std::move(doc)) {}
  std::shared_ptr<SelectionSet> Item(const std::string& name) override {
    cad_.Call("SelectionSets.Item(" + name + ")");
    const auto it = doc_->sets.find(name);
    if (it == doc_->sets.end()) throw CadError(kKeyNotFound, "Key not found");
    return std::make_shared<FakeSet>(cad_, world_, doc_, it->second);
  }
  std::shared_ptr<SelectionSet> Add(const std::string& name) override {
    cad_.Call("SelectionSets.Add(" + name + ")");
    if (doc_->sets.count(name) != 0) throw CadError(kDuplicateName, "Duplicate record name");
    auto set = std::make_shared<SetState>();
    set->name = name;
    doc_->sets[name] = set;
    return std::make_shared<FakeSet>(cad_, world_, doc_, set);
  }

 private:
  FakeCad& cad_;
  std::shared_ptr<FakeCad::World> world_;
  std::shared_ptr<DocState> doc_;
};

class FakeDocument : public Document {
 public:
  FakeDocument(FakeCad& cad, std::shared_ptr<FakeCad::World> world, std::shared_ptr<DocState> doc)
      : cad_(cad), world_(std::move(world)), doc_(std::move(doc)) {}
  std::string FullName() override {
    cad_.Call("Document.FullName");
    return doc_->fullName;
  }
  void Open(const std::string& path) override {
    cad_.Call("Document.Open(" + path + ")");
    doc_->fullName = path;
    doc_->sets.clear();
  }
  int GetVariable(const std::string& name) override {
    cad_.Call("Document.GetVariable(" + name + ")");
    return doc_->variables[name];
  }
  void SetVariable(const std::string& name, int value) override {
    cad_.Call("Document.SetVariable(" + name + "," + std::to_string(value) + ")");
    doc_->variables[name] = value;
  }
  void SetWindowState(int state) override {
    cad_.Call("Document.WindowState=" + std::to_string(state));
    doc_->windowState = state;
  }
  std::shared_ptr<cad::SelectionSets> SelectionSets() override {
    cad_.Call("Document.SelectionSets");
    return std::make_shared<FakeSets>(cad_, world_, doc_);
  }

 private:
  FakeCad& cad_;
  std::shared_ptr<FakeCad::World> world_;
  std::shared_ptr<DocState> doc_;
};

class FakeDocuments : public Documents {
 public:
  FakeDocuments(FakeCad& cad, std::shared_ptr<FakeCad::World> world)
      : cad_(cad), world_(std::move(world)) {}
  int Count() override {
    cad_.Call("Documents.Count");
    return static_cast<int>(world_->documents.size());
  }
  std::shared_ptr<Document> Open(const std::string& path) override {
    cad_.Call("Documents.Open(" + path + ")");
    auto doc = std::make_shared<DocState>();
    doc->fullName = path;
    world_->documents.push_back(doc);
    world_->active = doc;
    return std::make_shared<FakeDocument>(cad_, world_, doc);
  }

 private:
  FakeCad& cad_;
  std::shared_ptr<FakeCad::World> world_;
};

class FakeApplication : public Application {
 public:
  FakeApplication(FakeCad& cad, std::shared_ptr<FakeCad::World> world)
      : cad_(cad), world_(std::move(world)) {}
  void SetVisible(bool visible) override {
    cad_.Call(std::string("Application.Visible=") + (visible ? "True" : "False"));
    world_->visible = visible;
  }
  std::shared_ptr<Document> ActiveDocument() override {
    cad_.Call("Application.ActiveDocument");
    if (!world_->active) throw CadError(kNoActiveDocument, "No document is active");
    return std::make_shared<FakeDocument>(cad_, world_, world_->active);
  }
  std::shared_ptr<cad::Documents> Documents() override {
    cad_.Call("Application.Documents");
    return std::make_shared<FakeDocuments>(cad_, world_);
  }
  void SetWindowState(int state) override {
    cad_.Call("Application.WindowState=" + std::to_string(state));
    world_->windowState = state;
  }
  WindowHandle Hwnd() override {
    cad_.Call("Application.Hwnd");
    return cad_.MainWindow();
  }

 private:
  FakeCad& cad_;
  std::shared_ptr<FakeCad::World> world_;
};

}  // namespace

FakeCad::FakeCad(State state) : state_(state), world_(std::make_shared<World>()) {
  application_ = std::make_shared<FakeApplication>(*this, world_);
}

FakeCad::~FakeCad() = default;

void FakeCad::SetDrawings(const std::vector<std::string>& fullNames) {
  world_->documents.clear();
  for (const std::string& name : fullNames) {
    auto doc = std::make_shared<DocState>();
    doc->fullName = name;
    world_->documents.push_back(doc);
  }
  world_->active = world_->documents.empty() ? nullptr : world_->documents.front();
}

void FakeCad::Fail(const std::string& call, long number, const std::string& description) {
  failures_.insert_or_assign(call, CadError(number, description));
}

void FakeCad::ScriptSelection(std::vector<FakeEntity> entities) {
  world_->selection = std::move(entities);
}

void FakeCad::Note(const std::string& line) { log_.push_back(line); }

void FakeCad::Call(const std::string& line) {
  log_.push_back(line);
  auto it = failures_.find(line);
  if (it == failures_.end()) it = failures_.find(Member(line));
  if (it != failures_.end()) throw it->second;
}

bool FakeCad::Visible() const { return world_->visible; }
int FakeCad::ApplicationWindowState() const { return world_->windowState; }

std::vector<std::string> FakeCad::Drawings() const {
  std::vector<std::string> names;
  if (world_->active) names.push_back(world_->active->fullName);
  for (const auto& doc : world_->documents) {
    if (doc != world_->active) names.push_back(doc->fullName);
  }
  return names;
}

std::optional<int> FakeCad::Variable(const std::string& name) const {
  if (!world_->active) return std::nullopt;
  const auto it = world_->active->variables.find(name);
  if (it == world_->active->variables.end()) return std::nullopt;
  return it->second;
}

std::optional<int> FakeCad::ActiveWindowState() const {
  if (!world_->active) return std::nullopt;
  return world_->active->windowState;
}

std::vector<std::string> FakeCad::SelectionSetNames() const {
  std::vector<std::string> names;
  if (world_->active) {
    for (const auto& [name, set] : world_->active->sets) names.push_back(name);
  }
  return names;
}

std::vector<std::string> FakeCad::SetTexts(const std::string& setName) const {
  std::vector<std::string> texts;
  if (!world_->active) return texts;
  const auto it = world_->active->sets.find(setName);
  if (it == world_->active->sets.end()) return texts;
  for (const auto& e : it->second->entities) {
    texts.push_back(static_cast<FakeEntityObject&>(*e).Data().text);
  }
  return texts;
}

std::shared_ptr<Application> FakeCad::GetObject(const std::string& programId) {
  Call("GetObject(" + programId + ")");
  if (state_ != State::Running) throw CadError(kCannotCreateObject, kCannotCreateText);
  return application_;
}

std::shared_ptr<Application> FakeCad::CreateObject(const std::string& programId) {
  Call("CreateObject(" + programId + ")");
  if (state_ == State::CannotStart) throw CadError(kCannotCreateObject, kCannotCreateText);
  state_ = State::Running;
  return application_;
}

void FakeCad::SetFocus(WindowHandle window) { Call("SetFocus(" + std::to_string(window) + ")"); }

}  // namespace korvalo::cad::testing
