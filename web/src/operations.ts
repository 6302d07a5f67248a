// The window's pager operations on the page: board choice and search, Info,
// Read, Write (with the pager's backup first), Verify, SYNC TIME and Compare
// with the pager. The operations are the program's own C++ (km640-ops.js,
// loaded when the first one runs); this file only asks for them, shows their
// progress and texts, and hands code-plugs between them and the editor.

import { Boards, defaultSimulatorPort, simulatorAddress } from "./boards";
import type { DifferenceRow, Session } from "./core";
import { differenceTable } from "./differences";
import { download } from "./files";
import { OpsCall, Outcome, loadOperations, type OpsResult } from "./opsModule";
import { boardPanel, type BoardPanel } from "./boardPanel";

export interface OperationsHost {
  readonly session: Session;
  // The window's question before unsaved changes are lost; true goes on.
  changesMayGo(): Promise<boolean>;
  // The editor took a code-plug read from the pager ("pager A1B2…").
  tookFromPager(name: string, messages: string[]): void;
  // The editor holds what a write sent (stamps and all); valuesMoved: a
  // value the user sees moved with it.
  wrote(valuesMoved: boolean): void;
  showResult(heading: string, summary: string, content: HTMLElement): void;
}

const kSimulated = "sim";

// Lets the browser paint and take events between two pieces of work, so
// neither holds the page for long.
function nextTask(): Promise<void> {
  return new Promise((resolve) => setTimeout(resolve, 0));
}

export class PagerOperationsUi {
  private readonly boards = new Boards();
  private readonly ui: BoardPanel;
  private ops?: OpsCall;
  private busy = false;

  constructor(private host: OperationsHost) {
    this.ui = boardPanel(Boards.serial !== undefined, defaultSimulatorPort);
    document.querySelector("header")?.after(this.ui.root);
    this.wire();
    this.boards.watch(() => void this.offerBoards());
    void this.offerBoards();
    // A port the page holds is given back when the page goes.
    window.addEventListener("pagehide", () => void this.boards.line.close());
  }

  private wire(): void {
    const { buttons } = this.ui;
    const on = (button: HTMLButtonElement, action: () => Promise<void>) =>
      button.addEventListener("click", () => void action());
    on(buttons.add, () => this.allowPort());
    on(buttons.search, () => this.search());
    on(buttons.info, () => this.run((ops, port) => this.info(ops, port)));
    on(buttons.read, () => this.read());
    on(buttons.write, () => this.run((ops, port) => this.write(ops, port)));
    on(buttons.verify, () => this.run((ops, port) => this.verify(ops, port)));
    on(buttons.sync, () => this.run((ops, port) => this.syncTime(ops, port)));
    on(buttons.compare, () => this.run((ops, port) => this.compare(ops, port)));
    buttons.cancel.addEventListener("click", () => this.cancel());
    const refuse = (event: Event) => {
      if (this.busy && (event.target as Element | null)?.closest?.("#pages, #tabs")) {
        event.preventDefault();
        event.stopImmediatePropagation();
      }
    };
    for (const type of ["pointerdown", "mousedown", "click", "keydown", "beforeinput", "paste", "drop", "change"])
      document.addEventListener(type, refuse, true);
    this.ui.simPort.addEventListener("input", () => this.nameSimulator());
  }

  // ---- Boards ------------------------------------------------------------------

  private async offerBoards(): Promise<void> {
    const { board } = this.ui;
    const kept = board.value;
    const names = await this.boards.granted();
    board.replaceChildren(...names.map((name) => new Option(name, name)), new Option("", kSimulated));
    this.nameSimulator();
    board.value = [...names, kSimulated].includes(kept) ? kept : names[0] ?? kSimulated;
  }

  private simulatorPort(): number | undefined {
    const text = this.ui.simPort.value.trim();
    const port = Number(text);
    return /^\d{1,5}$/.test(text) && port >= 1 && port <= 65535 ? port : undefined;
  }

  private nameSimulator(): void {
    const option = [...this.ui.board.options].find((o) => o.value === kSimulated);
    const port = this.simulatorPort();
    if (option) option.text = `Simulated board (${simulatorAddress(port ?? defaultSimulatorPort)})`;
  }

  // The board chosen, as the operations name it; nothing (and why, shown)
  // when the simulator's port is not a port number.
  private chosenBoard(): string | undefined {
    if (this.ui.board.value !== kSimulated) return this.ui.board.value;
    const port = this.simulatorPort();
    if (port === undefined) this.show({ text: "The simulated board's port is a number from 1 to 65535.", messages: [] });
    return port === undefined ? undefined : simulatorAddress(port);
  }

  private async allowPort(): Promise<void> {
    const name = await this.boards.request();
    await this.offerBoards();
    if (name) this.ui.board.value = name;
  }

  // The window's search at its start: the first board that answers is chosen.
  private async search(): Promise<void> {
    const port = this.simulatorPort();
    const names = [...(await this.boards.granted()), ...(port === undefined ? [] : [simulatorAddress(port)])];
    await this.run(async (ops) => {
      const found = await ops.search(names);
      if (found < 0) return this.show({ text: "", messages: [ops.resultText()] });
      const name = names[found];
      this.ui.board.value = name.startsWith("ws://") ? kSimulated : name;
      this.show({ text: `The programmer board answers on ${name}.`, messages: [] });
    }, false);
  }

  // ---- Running one operation -----------------------------------------------------

  private async run(body: (ops: OpsCall, port: string) => Promise<void>, needsBoard = true): Promise<void> {
    if (this.busy) return;
    // A value being typed is part of the work.
    (document.activeElement as HTMLElement | null)?.blur();
    const port = needsBoard ? this.chosenBoard() : "";
    if (port === undefined) return;
    this.setBusy(true);
    const started = performance.now();
    try {
      await nextTask();
      this.ops ??= new OpsCall(await loadOperations(this.boards.line, (blocks, total, caption) =>
        this.ui.progress(blocks, total, caption), (panel, text) => this.ui.status(panel, text)));
      await body(this.ops, port);
    } catch (error) {
      this.show({ text: "", messages: [`The pager operations could not run: ${String(error)}`] });
    } finally {
      // The benchmark reads how long the operation took, click to outcome.
      performance.measure("km640-operation", { start: started });
      this.setBusy(false);
    }
  }

  private setBusy(busy: boolean): void {
    this.busy = busy;
    this.ui.setBusy(busy);
    if (this.ops) this.ops.module.km640StopLevel = 0;
    // The editor waits while the pager is being worked on, as the window
    // does (edits would be lost to a Read). Its controls take no input
    // meanwhile; making every one of them inert would restyle the whole page
    // at once, which holds the page longer than a frame.
    for (const id of ["pages", "tabs"]) document.getElementById(id)?.setAttribute("aria-busy", String(busy));
    document.querySelectorAll<HTMLButtonElement>("header nav button").forEach((b) => (b.disabled = busy));
  }

  // Cancel as km640-cli takes signals: the first lets the pager under way
  // finish and starts nothing after it; the second ends the transfer after
  // the block being exchanged.
  private cancel(): void {
    if (!this.busy || !this.ops) return;
    const level = ++this.ops.module.km640StopLevel;
    this.ui.cancelled(level);
  }

  private stopLevel(): number {
    return this.ops?.module.km640StopLevel ?? 0;
  }

  private show(result: { outcome?: number; text: string; messages: string[] }, notes: string[] = []): void {
    this.ui.report(result.outcome, result.text, [...result.messages, ...notes]);
  }

  // ---- The operations -----------------------------------------------------------

  private async read(): Promise<void> {
    if (this.busy || !(await this.host.changesMayGo())) return;
    await this.run(async (ops, port) => {
      const result = await ops.call("km640_read", port);
      this.show(result, this.stopNotes(result));
      if (result.outcome !== Outcome.Success) return;
      const answer = JSON.parse(this.host.session.takeRead(ops.image())) as { messages?: string[] };
      await nextTask();
      this.host.tookFromPager(ops.text("km640_pager_title"), answer.messages ?? []);
    });
  }

  private async write(ops: OpsCall, port: string): Promise<void> {
    const plug = this.host.session.imageBytes();
    if (this.ui.backup.checked) {
      // The window's default: the pager's memory read and kept first, so a
      // write can always be undone.
      const backup = await ops.readMemory(port);
      if (!backup.memory) {
        const told = ([Outcome.BoardNotResponding, Outcome.PortError, Outcome.Busy] as number[]).includes(backup.result.outcome);
        return this.show(backup.result, told ? [] : [
          `The pager could not be read for its backup (${backup.result.text.trim()}), so nothing was written to it.\n` +
            "To write without a backup, turn off Back Up Pager Before Write."]);
      }
      const name = ops.backupName(backup.memory);
      download(name, backup.memory);
      this.ui.report(undefined, "", [`Backup: ${name} (downloaded)`]);
      if (this.stopLevel() > 0) return this.show({ text: "", messages: [] }, ["Cancelled before anything was sent to the pager."]);
      ops.nextBackup(`${name} (downloaded)`);
    }
    const result = await ops.write(port, plug, this.ui.syncClock.checked);
    if (result.outcome !== Outcome.Busy && result.outcome !== Outcome.NotACodePlug) {
      const moved = this.host.session.takeWritten(ops.image());
      await nextTask();
      this.host.wrote(moved);
    }
    this.show(result, this.stopNotes(result));
  }

  private async verify(ops: OpsCall, port: string): Promise<void> {
    const verified = await ops.verify(port, this.host.session.imageBytes());
    this.show(verified.result, this.stopNotes(verified.result));
    if (verified.result.outcome !== Outcome.VerifyFail) return;
    // The list comes from the memory the Verify read; only when some of it
    // did not arrive is the pager read again.
    const memory = verified.memory ?? (await ops.readMemory(port)).memory;
    if (memory) this.showDifferences(ops, memory, port, true);
  }

  private async compare(ops: OpsCall, port: string): Promise<void> {
    const read = await ops.readMemory(port);
    if (!read.memory) return this.show(read.result);
    this.showDifferences(ops, read.memory, port, false);
  }

  private async info(ops: OpsCall, port: string): Promise<void> {
    const result = await ops.call("km640_identify", port);
    const identity = JSON.parse(ops.text("km640_identity")) as {
      firmware?: string; serialNo?: string; model?: string; version?: number; old?: boolean;
    };
    const rows: [string, string][] = [["Port", port]];
    if (identity.firmware !== undefined) rows.push(["Firmware", identity.firmware]);
    if (identity.serialNo !== undefined) rows.push(["Serial No.", identity.serialNo || "(none)"]);
    if (identity.model !== undefined) rows.push(["Model text", identity.model]);
    if (identity.version !== undefined)
      rows.push(["Software version", `${identity.version}${identity.old ? " (old: a write sets the battery levels afresh)" : ""}`]);
    const list = document.createElement("dl");
    for (const [term, value] of rows)
      list.append(Object.assign(document.createElement("dt"), { textContent: term }),
        Object.assign(document.createElement("dd"), { textContent: value }));
    this.show(result);
    this.host.showResult("Info", result.text.trim(), list);
  }

  private async syncTime(ops: OpsCall, port: string): Promise<void> {
    this.show(await ops.syncTime(port, this.host.session.imageBytes()));
  }

  // What the first or second Cancel did to the operation that ran.
  private stopNotes(result: OpsResult): string[] {
    const level = this.stopLevel();
    if (level === 0) return [];
    if (result.outcome === Outcome.Interrupted)
      return ["Stopped after the block being exchanged: the pager is not written or compared whole."];
    return ["Cancel: the operation under way was finished first."];
  }

  // The fields that differ between the editor and the pager's memory, as
  // the window's Compare lists them: the editor's code-plug as a write sends
  // it to this pager. After a failed Verify the stamped fields are those the
  // Verify compared: the editor's own.
  private showDifferences(ops: OpsCall, memory: Uint8Array, port: string, afterVerify: boolean): void {
    const session = this.host.session;
    const rowsOf = (editor: Uint8Array) => {
      const answer = JSON.parse(session.compare(editor, "Editor", memory, "Pager")) as { error?: string; rows?: DifferenceRow[] };
      if (answer.error) this.ui.report(undefined, "", [answer.error]);
      return answer.rows ?? [];
    };
    let rows = rowsOf(ops.asWrittenTo(session.imageBytes(), memory));
    if (afterVerify) rows = [...rows.filter((r) => !r.stamped), ...rowsOf(new Uint8Array()).filter((r) => r.stamped)];
    const stamped = rows.filter((r) => r.stamped).length;
    const fields = (n: number) => `${n} ${n === 1 ? "field" : "fields"}`;
    const summary =
      rows.length === 0 ? `The pager on ${port} holds the same code-plug as the editor.`
      : stamped === rows.length ? `The pager on ${port} differs from the editor only in ${stamped} stamped ${stamped === 1 ? "field" : "fields"}:`
      : `The pager on ${port} differs from the editor in ${fields(rows.length - stamped)}${stamped ? ` (and ${stamped} stamped)` : ""}:`;
    this.host.showResult("Compare with the pager", summary, differenceTable(rows, "Editor", "Pager"));
  }
}
