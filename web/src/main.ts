// The page: the editor, its files and its title, over the program's core.

import { loadCore, type Control, type Core, type DifferenceRow, type OpenAnswer, type Session } from "./core";
import { differenceTable } from "./differences";
import { ask, tell } from "./dialogs";
import { Editor } from "./editor";
import * as files from "./files";
import { PagerOperationsUi, type OperationsHost } from "./operations";

interface Opened {
  name: string;
  handle?: FileSystemFileHandle;
  asText: boolean;
  fromPager?: boolean; // read from the pager: the title names it, Save asks for a file
}

class Page implements OperationsHost {
  readonly session: Session;
  private editor: Editor;
  private opened: Opened = { name: "", asText: false };
  private readonly title: string;

  constructor(private core: Core) {
    this.session = new core.EditorSession();
    this.title = core.EditorSession.programTitle();
    const controls = JSON.parse(core.EditorSession.controls()) as Control[];
    files.setFileKinds(JSON.parse(core.EditorSession.fileKinds()) as files.FileKind[]);
    this.editor = new Editor(this.session, controls, byId("tabs"), byId("pages"));
    this.editor.onChange = () => this.updateTitle();
    this.editor.onMessages = (lines) => void tell(lines, this.title);
    this.wire();
    this.updateTitle();
    void this.showRecent();
  }

  private wire(): void {
    const on = (id: string, action: () => Promise<unknown>) => byId(id).addEventListener("click", () => void action());
    on("open", () => this.openPicked(".tbl,.json"));
    on("save", () => this.save());
    on("save-as", () => this.saveAs());
    on("export", () => this.exportText());
    on("import", () => this.openPicked(".json"));
    on("compare", () => this.compare(false));
    on("compare-files", () => this.compare(true));
    on("roster", () => this.checkRoster());
    document.addEventListener("dragover", (e) => e.preventDefault());
    document.addEventListener("drop", (e) => {
      e.preventDefault();
      const file = e.dataTransfer?.files[0];
      if (file) void this.dropped(file);
    });
    window.addEventListener("beforeunload", (e) => {
      if (this.session.modified()) e.preventDefault();
    });
  }

  private updateTitle(): void {
    const title = this.session.title(this.opened.name);
    document.title = title;
    byId("title").textContent = title;
  }

  // The window's question before a change would be lost: Yes saves first.
  async changesMayGo(): Promise<boolean> {
    (document.activeElement as HTMLElement | null)?.blur(); // a value being typed is part of the work
    if (!this.session.modified()) return true;
    const question = this.core.EditorSession.saveQuestion(this.opened.name);
    const answer = await ask(question, ["yes", "no", "cancel"], this.title);
    if (answer === "yes") return this.save();
    return answer === "no";
  }

  private async openPicked(accept: string): Promise<void> {
    if (!(await this.changesMayGo())) return;
    const picked = await files.pickFile(accept);
    if (picked) await this.open(picked);
  }

  private async dropped(file: File): Promise<void> {
    if (!(await this.changesMayGo())) return;
    await this.open(await files.fromFile(file));
  }

  async open(picked: files.PickedFile): Promise<boolean> {
    const answer = JSON.parse(this.session.open(picked.bytes, picked.name)) as OpenAnswer;
    if (!answer.opened) {
      await tell([answer.refusal ?? ""], this.title);
      return false;
    }
    this.opened = { name: picked.name, handle: picked.handle, asText: answer.fromText ?? false };
    this.editor.refreshAll();
    this.updateTitle();
    if (picked.handle) await files.rememberRecent(picked.handle).then(() => this.showRecent());
    if (answer.messages?.length) await tell(answer.messages, this.title);
    return true;
  }

  private bytesToSave(asText: boolean): Uint8Array {
    return asText ? this.session.saveText() : this.session.saveImage();
  }

  // Save goes back to the file that was opened where the browser can write
  // it; elsewhere it asks as Save As does.
  async save(): Promise<boolean> {
    (document.activeElement as HTMLElement | null)?.blur();
    if (!this.opened.handle) return this.saveAs();
    await files.writeHandle(this.opened.handle, this.bytesToSave(this.opened.asText));
    this.updateTitle();
    return true;
  }

  async saveAs(): Promise<boolean> {
    (document.activeElement as HTMLElement | null)?.blur();
    const suggested = (!this.opened.fromPager && this.opened.name) || "codeplug.tbl";
    const target = await files.chooseTarget(suggested);
    if (!target) return false;
    if (target === "download") {
      files.download(suggested, this.bytesToSave(this.opened.asText));
    } else {
      const asText = target.name.toLowerCase().endsWith(".json");
      await files.writeHandle(target, this.bytesToSave(asText));
      this.opened = { name: target.name, handle: target, asText };
      await files.rememberRecent(target).then(() => this.showRecent());
    }
    this.updateTitle();
    return true;
  }

  private async exportText(): Promise<void> {
    (document.activeElement as HTMLElement | null)?.blur();
    const base = (this.opened.name || "codeplug").replace(/\.[^.]*$/, "");
    files.download(`${base}.json`, this.session.saveText());
    this.updateTitle();
  }

  private async compare(twoFiles: boolean): Promise<void> {
    const a = twoFiles ? await files.pickFile(".tbl,.json") : undefined;
    if (twoFiles && !a) return;
    const b = await files.pickFile(".tbl,.json");
    if (!b) return;
    const nameA = a?.name ?? "Editor";
    const answer = JSON.parse(this.session.compare(a?.bytes ?? new Uint8Array(), nameA, b.bytes, b.name)) as {
      error?: string;
      rows?: DifferenceRow[];
    };
    if (answer.error) return tell([answer.error], this.title);
    const rows = answer.rows ?? [];
    const table = differenceTable(rows, nameA, b.name);
    this.showResult(
      `Compare: ${nameA} and ${b.name}`,
      rows.length ? `${rows.length} field(s) differ` : "The two code-plugs hold the same settings.",
      table,
    );
  }

  private async checkRoster(): Promise<void> {
    const csv = await files.pickFile(".csv");
    if (!csv) return;
    const answer = JSON.parse(this.session.checkRoster(csv.bytes)) as { summary: string; problems: string[] };
    const list = document.createElement("ul");
    for (const problem of answer.problems) list.append(Object.assign(document.createElement("li"), { textContent: problem }));
    this.showResult(`Roster check: ${csv.name}`, answer.summary, list);
  }

  // The code-plug read from the pager "pager A1B2…" is in the editor now.
  tookFromPager(name: string, messages: string[]): void {
    this.opened = { name, asText: false, fromPager: true };
    this.refreshShown();
    this.updateTitle();
    if (messages.length) void tell(messages, this.title);
  }

  wrote(valuesMoved: boolean): void {
    if (valuesMoved) this.refreshShown();
    this.updateTitle();
  }

  // After an operation only the page in sight is brought up to date at once
  // (a page takes its values afresh whenever it is shown): working out every
  // page's lists would hold the page for longer than a frame.
  private refreshShown(): void {
    const shown = document.querySelector<HTMLElement>("[role=tab][aria-selected=true]")?.textContent;
    if (shown) this.editor.show(shown);
    else this.editor.refreshAll();
  }

  showResult(heading: string, summary: string, content: HTMLElement): void {
    const host = byId("results");
    const h2 = Object.assign(document.createElement("h2"), { textContent: heading });
    const p = Object.assign(document.createElement("p"), { textContent: summary });
    const close = Object.assign(document.createElement("button"), { type: "button", textContent: "Close" });
    close.addEventListener("click", () => (host.hidden = true));
    host.replaceChildren(h2, p, content, close);
    host.hidden = false;
    h2.tabIndex = -1;
    h2.focus();
  }

  private async showRecent(): Promise<void> {
    const list = byId("recent");
    const handles = await files.recentFiles().catch(() => []);
    list.replaceChildren();
    byId("recent-box").hidden = handles.length === 0;
    for (const handle of handles) {
      const button = Object.assign(document.createElement("button"), { type: "button", textContent: handle.name });
      button.addEventListener("click", async () => {
        if (!(await this.changesMayGo()) || !(await files.mayRead(handle))) return;
        await this.open(await files.fromHandle(handle));
      });
      const item = document.createElement("li");
      item.append(button);
      list.append(item);
    }
  }
}

function byId(id: string): HTMLElement {
  return document.getElementById(id) as HTMLElement;
}

async function start(): Promise<void> {
  const core = await loadCore();
  performance.mark("km640-core-ready");
  document.getElementById("loading")?.remove();
  const page = new Page(core);
  new PagerOperationsUi(page);
  (window as unknown as { km640: Page }).km640 = page;
  document.body.dataset.ready = "true";
  // The benchmark reads this: the first field can be edited from here on.
  performance.mark("km640-first-field");
  if ("serviceWorker" in navigator && location.protocol !== "file:")
    navigator.serviceWorker.register("sw.js").catch(() => undefined);
}

void start();
